// What the face picker knows without its window: the index as last read
// (reread only when "face.xml" changed), the pages, which face a cell shows,
// the rendering of a page, and where the popup goes.
#pragma once

#include "chat/facestore/FaceIndex.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

class FaceStore;

class FacePickerModel
{
public:
    static constexpr int kCellSize = 25;
    static constexpr int kColumns = 16;
    static constexpr int kRows = 8;
    static constexpr int kPageWidth = 400;
    static constexpr int kPageHeight = 200;
    static constexpr int kWidth = 401;
    static constexpr int kHeight = 226;
    static constexpr int kPreviewSide = 75;
    static constexpr int kSeparatorY = 150;

    // Reads the index when it changed since the last read (a missing index
    // is written as the default one first, and page 0's cache goes); renders
    // the missing page caches. True when the index was read.
    bool LoadFaceIndex(const FaceStore &store, const QList<QImage> &builtIns);
    // The next load reads the index whatever its time says: a file written
    // twice within the clock's tick keeps one time.
    void ForgetIndex() { m_lastWrite = QDateTime(); }

    int imageCount() const { return int(m_ids.size()); }
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_page; }
    void SetPage(int page);
    // The previous page (page 1 wraps to the last), the next (the last stays).
    void PreviousPage();
    void NextPage();

    // The 0-based index position a cell of the current page shows; -1 for a
    // built-in cell or an empty one.
    int FaceAt(int cell) const;
    // True for a built-in face cell of page 1.
    bool IsBuiltInCell(int cell) const { return m_page == 1 && cell >= 0 && cell < FacePages::kBuiltIn; }
    quint32 idAt(int position) const { return m_ids.value(position); }
    QString picturePath(quint32 id) const { return m_paths.value(id); }
    QString tip(quint32 id) const { return m_tips.value(id); }
    QString thumbnailName(quint32 id) const { return m_thumbnails.value(id); }

    // The cell under a point of the page area, -1 outside it.
    static int CellAt(QPoint pos);
    static QRect CellFrame(int cell);
    // Where the preview goes for a hovered column.
    static QPoint PreviewPos(int column);

    // A page (0-based) drawn: frames, on page 0 the built-in faces and the
    // separator line, and the custom faces from their thumbnails (rebuilt
    // from the picture when missing).
    QImage RenderPage(int pageIndex, const FaceStore &store, const QList<QImage> &builtIns) const;

private:
    void parse(const QList<FaceEntry> &entries, const FaceStore &store);

    QList<quint32> m_ids;
    QHash<quint32, QString> m_paths;
    QHash<quint32, QString> m_thumbnails;
    QHash<quint32, QString> m_tips;
    QHash<quint32, QString> m_shortcuts;
    int m_pageCount = 1;
    int m_page = 1;
    QDateTime m_lastWrite;
    QString m_indexPath;
};

// Where the picker goes for a face button (screen coordinates) in a work
// area: 200 pixels left of the button and 225 above it, kept inside the
// work area; with no room above, below the button.
QPoint FacePickerPlacement(const QRect &button, const QRect &workArea);

#include "chat/facestore/FacePickerModel.h"

#include "chat/facestore/FaceStore.h"
#include "core/BmpFile.h"
#include "core/COlePicture.h"
#include "core/PathUtil.h"

#include <QFileInfo>
#include <QPainter>

bool FacePickerModel::LoadFaceIndex(const FaceStore &store, const QList<QImage> &builtIns)
{
    const FaceIndex index = store.index();
    bool changed = false;
    if (!QFileInfo(index.path()).isFile()) {
        store.pictures().CreateFolders();
        index.EnsureExists();
        store.RemovePageCache(0);
        changed = true;
    }
    const QDateTime written = QFileInfo(index.path()).lastModified();
    if (changed || written != m_lastWrite || index.path() != m_indexPath) {
        m_lastWrite = written;
        m_indexPath = index.path();
        QList<FaceEntry> entries;
        index.Read(entries);
        parse(entries, store);
        changed = true;
    }
    for (int page = 0; page < m_pageCount; ++page) {
        const QString cache = store.pageCacheFile(page);
        if (!QFileInfo::exists(cache))
            SaveBitmapToFile(RenderPage(page, store, builtIns), cache);
    }
    return changed;
}

void FacePickerModel::parse(const QList<FaceEntry> &entries, const FaceStore &store)
{
    m_ids.clear();
    m_paths.clear();
    m_thumbnails.clear();
    m_tips.clear();
    m_shortcuts.clear();
    for (const FaceEntry &e : entries) {
        m_paths.insert(e.id, store.pictureFile(e));
        m_thumbnails.insert(e.id, e.fixed);
        m_tips.insert(e.id, e.tip);
        m_shortcuts.insert(e.id, e.shortcut);
        m_ids.append(e.id);
    }
    // The counts come from the faces, whatever the file says.
    m_pageCount = FacePages::PageCount(int(m_ids.size()));
    SetPage(m_page);
}

void FacePickerModel::SetPage(int page)
{
    m_page = std::clamp(page, 1, m_pageCount);
}

void FacePickerModel::PreviousPage()
{
    SetPage(m_page <= 1 ? m_pageCount : m_page - 1);
}

void FacePickerModel::NextPage()
{
    SetPage(m_page + 1);
}

int FacePickerModel::FaceAt(int cell) const
{
    if (cell < 0 || cell >= FacePages::kCells)
        return -1;
    const int position = FacePages::FacePosition(m_page, cell);
    return position >= 0 && position < m_ids.size() ? position : -1;
}

int FacePickerModel::CellAt(QPoint pos)
{
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= kPageWidth || pos.y() >= kPageHeight)
        return -1;
    return (pos.y() / kCellSize) * kColumns + pos.x() / kCellSize;
}

QRect FacePickerModel::CellFrame(int cell)
{
    const int r = cell / kColumns, c = cell % kColumns;
    return QRect(kCellSize * c, kCellSize * r, kCellSize + 1, kCellSize + 1);
}

QPoint FacePickerModel::PreviewPos(int column)
{
    return column < 12 ? QPoint(325, 0) : QPoint(0, 0);
}

QImage FacePickerModel::RenderPage(int pageIndex, const FaceStore &store, const QList<QImage> &builtIns) const
{
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    const int builtInCells = std::min<int>(FacePages::kBuiltIn, int(builtIns.size()));
    for (int cell = 0; cell < FacePages::kCells; ++cell) {
        const QRect frame = CellFrame(cell);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        const QPoint at = frame.topLeft() + QPoint(2, 2);
        if (pageIndex == 0 && cell < builtInCells) {
            painter.drawImage(QRect(at, QSize(21, 21)), builtIns[cell]);
            continue;
        }
        const int r = cell / kColumns, c = cell % kColumns;
        const int position = (r + 8 * pageIndex - 6) * kColumns + c;
        if (position < 0 || position >= m_ids.size())
            continue;
        const quint32 id = m_ids[position];
        const QString name = m_thumbnails.value(id);
        if (name.isEmpty() || !IsSafeFileName(name))
            continue;
        const QString thumbnail = JoinPath(store.folder(), name);
        QImage image = LoadBitmapFile(thumbnail);
        if (image.isNull() && !QFileInfo::exists(thumbnail)) {
            store.MakeThumbnail(m_paths.value(id));
            image = LoadBitmapFile(thumbnail);
        }
        if (!image.isNull())
            painter.drawImage(at, image.copy(0, 0, FaceStore::kThumbnailSide, FaceStore::kThumbnailSide));
    }
    if (pageIndex == 0) {
        painter.setPen(QColor(0, 0, 0xFF));
        painter.drawLine(0, kSeparatorY, kPageWidth, kSeparatorY);
    }
    return page;
}

QPoint FacePickerPlacement(const QRect &button, const QRect &workArea)
{
    const int width = FacePickerModel::kPageWidth;
    const int height = 225;
    int left = button.left() - 200;
    if (left < workArea.left())
        left = std::max(button.left(), workArea.left());
    else if (left + width > workArea.right() + 1)
        left = workArea.right() + 1 - width;
    int top = button.top() - height;
    if (top < workArea.top())
        top = button.bottom() + 1; // no room above: below the button
    else if (top + height > workArea.bottom() + 1)
        top = workArea.bottom() + 1 - height;
    // Still outside (a button at the very edge): inside the work area.
    left = std::clamp(left, workArea.left(), std::max(workArea.left(), workArea.right() + 1 - width));
    top = std::clamp(top, workArea.top(), std::max(workArea.top(), workArea.bottom() + 1 - height));
    return QPoint(left, top);
}

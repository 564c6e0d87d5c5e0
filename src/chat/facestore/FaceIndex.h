// The face index "face.xml" of CustomFace: the custom faces in display order.
//
//   <?xml version="1.0" encoding="gb2312" ?>
//   <FACESETTING>
//     <CUSTOMFACE version="1000" imagecount="N" pagecount="P">
//       <FACE id="%08x" shortcut="..." tip="..." org="%08x.gif" fixed="%08xfixed.bmp"/>
//
// Every writer loads the current file, changes it and saves it whole, so
// that nothing written meanwhile by another window is lost; the counts are
// always recomputed from the FACE elements, never taken from the file.
#pragma once

#include <QList>
#include <QSet>
#include <QString>

// One custom face as the index lists it.
struct FaceEntry
{
    quint32 id = 0;
    QString shortcut;
    QString tip;
    QString org; // the picture's file name in CustomFace
    QString fixed; // its thumbnail's file name

    bool operator==(const FaceEntry &) const = default;
};

// The pages of the face picker: 128 cells, the first page holds the 96
// built-in faces and the first 32 custom faces.
namespace FacePages {
inline constexpr int kCells = 128;
inline constexpr int kBuiltIn = 96;
// floor((n + 95) / 128) + 1 pages for n custom faces.
int PageCount(int imageCount);
// The 1-based page of the custom face at 1-based position k.
int PageOfPosition(int k);
// The 0-based position in the index of cell `cell` on 1-based page `page`;
// -1 for a built-in cell.
int FacePosition(int page, int cell);
} // namespace FacePages

class FaceIndex
{
public:
    // Text limits of the tip and the shortcut: GBK bytes without the NUL.
    static constexpr int kTextBytes = 63;

    enum class Status { Ok, Missing, Unreadable, NoCustomFace, WriteFailed };

    explicit FaceIndex(QString path);
    const QString &path() const { return m_path; }

    // The default index (no faces, one page).
    static QString DefaultText();
    // Writes the default index when the file is missing; Ok when it exists.
    Status EnsureExists() const;

    // Reads the entries in order (ids as hex; a later FACE with the same id
    // stays in the list: the picker's maps take the later one).
    Status Read(QList<FaceEntry> &entries) const;

    // Appends a face (the tip and the shortcut cut to GBK limits; an empty
    // tip or shortcut becomes the id text). `newPage` tells whether the face
    // opened a page; `pageCount` is the count written.
    Status Append(const FaceEntry &entry, bool *newPage = nullptr, int *pageCount = nullptr) const;
    // Removes the first face with the id; `position` gets its 1-based
    // position (0 when not found). Missing face: Ok, nothing written.
    Status Remove(quint32 id, int *position = nullptr, int *pagesBefore = nullptr, int *pagesAfter = nullptr) const;
    // The manager's edits applied to the current file: `ordered` are the
    // faces the manager keeps, in its order, with their tips; faces in
    // `deleted` go; faces the file holds that the manager never saw stay,
    // after the others.
    Status ApplyEdits(const QList<FaceEntry> &ordered, const QSet<quint32> &deleted) const;
    // True when the index holds the id.
    bool Contains(quint32 id) const;

    static QString IdText(quint32 id);
    static FaceEntry MakeEntry(quint32 id, const QString &extension, const QString &tip, const QString &shortcut);

private:
    Status write(const QList<FaceEntry> &entries) const;

    QString m_path;
};

#include "chat/facestore/FaceIndex.h"

#include "core/CXmlDocument.h"
#include "core/Gbk.h"
#include "core/PictureId.h"

#include <QFileInfo>

namespace FacePages {

int PageCount(int imageCount)
{
    return std::max(0, imageCount + kBuiltIn - 1) / kCells + 1;
}

int PageOfPosition(int k)
{
    return (k + kBuiltIn - 1) / kCells + 1;
}

int FacePosition(int page, int cell)
{
    if (page <= 1)
        return cell < kBuiltIn ? -1 : cell - kBuiltIn;
    return kCells * page + cell - 2 * kCells + (kCells - kBuiltIn);
}

} // namespace FacePages

namespace {

const QString kRoot = QStringLiteral("FACESETTING");
const QString kCustomFace = QStringLiteral("CUSTOMFACE");
const QString kFace = QStringLiteral("FACE");

QString fit(const QString &text)
{
    return Gbk::truncate(text, FaceIndex::kTextBytes);
}

// Loads the document and puts the cursor inside CUSTOMFACE.
FaceIndex::Status open(const QString &path, CXmlDocument &doc)
{
    if (!QFileInfo(path).isFile())
        return FaceIndex::Status::Missing;
    if (doc.LoadFile(path) != CXmlDocument::Status::Ok)
        return FaceIndex::Status::Unreadable;
    doc.ResetPos();
    if (!doc.FindElement(kRoot) || !doc.EnterElement() || !doc.FindElement(kCustomFace))
        return FaceIndex::Status::NoCustomFace;
    return FaceIndex::Status::Ok;
}

FaceEntry readFace(const CXmlDocument &doc)
{
    FaceEntry e;
    e.id = doc.GetCurrentAttribute(QStringLiteral("id")).toUInt(nullptr, 16);
    e.shortcut = doc.GetCurrentAttribute(QStringLiteral("shortcut"));
    e.tip = doc.GetCurrentAttribute(QStringLiteral("tip"));
    e.org = doc.GetCurrentAttribute(QStringLiteral("org"));
    e.fixed = doc.GetCurrentAttribute(QStringLiteral("fixed"));
    return e;
}

} // namespace

FaceIndex::FaceIndex(QString path)
    : m_path(std::move(path))
{
}

QString FaceIndex::IdText(quint32 id)
{
    return PictureIdText(id);
}

FaceEntry FaceIndex::MakeEntry(quint32 id, const QString &extension, const QString &tip, const QString &shortcut)
{
    FaceEntry e;
    e.id = id;
    e.tip = tip.isEmpty() ? IdText(id) : fit(tip);
    e.shortcut = shortcut.isEmpty() ? IdText(id) : fit(shortcut);
    e.org = IdText(id) + QLatin1Char('.') + extension;
    e.fixed = IdText(id) + QStringLiteral("fixed.bmp");
    return e;
}

QString FaceIndex::DefaultText()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n<FACESETTING>\n"
                          "<CUSTOMFACE version=\"1000\" imagecount=\"0\" pagecount=\"1\"/>\n</FACESETTING>\n");
}

FaceIndex::Status FaceIndex::EnsureExists() const
{
    if (QFileInfo(m_path).isFile())
        return Status::Ok;
    CXmlDocument doc;
    if (doc.SetText(DefaultText()) != CXmlDocument::Status::Ok || doc.SaveFile(m_path) != CXmlDocument::Status::Ok)
        return Status::WriteFailed;
    return Status::Ok;
}

FaceIndex::Status FaceIndex::Read(QList<FaceEntry> &entries) const
{
    entries.clear();
    CXmlDocument doc;
    const Status status = open(m_path, doc);
    if (status != Status::Ok)
        return status;
    doc.EnterElement();
    while (doc.FindElement(kFace))
        entries.append(readFace(doc));
    return Status::Ok;
}

bool FaceIndex::Contains(quint32 id) const
{
    QList<FaceEntry> entries;
    Read(entries);
    return std::any_of(entries.cbegin(), entries.cend(), [id](const FaceEntry &e) { return e.id == id; });
}

FaceIndex::Status FaceIndex::write(const QList<FaceEntry> &entries) const
{
    CXmlDocument doc;
    Status status = open(m_path, doc);
    if (status == Status::Missing) {
        // A missing index is made anew.
        if (doc.SetText(DefaultText()) != CXmlDocument::Status::Ok)
            return Status::WriteFailed;
        doc.ResetPos();
        status = doc.FindElement(kRoot) && doc.EnterElement() && doc.FindElement(kCustomFace) ? Status::Ok
                                                                                              : Status::WriteFailed;
    }
    if (status != Status::Ok)
        return status;
    const int count = int(entries.size());
    doc.SetAttribute(QStringLiteral("version"), QStringLiteral("1000"));
    doc.SetAttributeInt(QStringLiteral("imagecount"), count);
    doc.SetAttributeInt(QStringLiteral("pagecount"), FacePages::PageCount(count));
    // Every FACE goes; the list is written anew, in order, at the end.
    doc.EnterElement();
    while (doc.FindElement(kFace))
        doc.RemoveElement();
    while (doc.FindElement()) { }
    for (const FaceEntry &e : entries) {
        if (!doc.AddElement(kFace))
            return Status::WriteFailed;
        doc.SetAttribute(QStringLiteral("id"), IdText(e.id));
        doc.SetAttribute(QStringLiteral("shortcut"), fit(e.shortcut));
        doc.SetAttribute(QStringLiteral("tip"), fit(e.tip));
        doc.SetAttribute(QStringLiteral("org"), e.org);
        doc.SetAttribute(QStringLiteral("fixed"), e.fixed);
    }
    return doc.SaveFile(m_path) == CXmlDocument::Status::Ok ? Status::Ok : Status::WriteFailed;
}

FaceIndex::Status FaceIndex::Append(const FaceEntry &entry, bool *newPage, int *pageCount) const
{
    QList<FaceEntry> entries;
    const Status status = Read(entries);
    if (status != Status::Ok && status != Status::Missing)
        return status;
    const int before = FacePages::PageCount(int(entries.size()));
    FaceEntry added = entry;
    if (added.tip.isEmpty())
        added.tip = IdText(added.id);
    if (added.shortcut.isEmpty())
        added.shortcut = IdText(added.id);
    entries.append(added);
    const int after = FacePages::PageCount(int(entries.size()));
    if (newPage)
        *newPage = after > before;
    if (pageCount)
        *pageCount = after;
    return write(entries);
}

FaceIndex::Status FaceIndex::Remove(quint32 id, int *position, int *pagesBefore, int *pagesAfter) const
{
    if (position)
        *position = 0;
    QList<FaceEntry> entries;
    const Status status = Read(entries);
    if (status != Status::Ok)
        return status;
    const auto it = std::find_if(entries.begin(), entries.end(), [id](const FaceEntry &e) { return e.id == id; });
    if (it == entries.end())
        return Status::Ok;
    if (position)
        *position = int(it - entries.begin()) + 1;
    if (pagesBefore)
        *pagesBefore = FacePages::PageCount(int(entries.size()));
    entries.erase(it);
    if (pagesAfter)
        *pagesAfter = FacePages::PageCount(int(entries.size()));
    return write(entries);
}

FaceIndex::Status FaceIndex::ApplyEdits(const QList<FaceEntry> &ordered, const QSet<quint32> &deleted) const
{
    QList<FaceEntry> current;
    const Status status = Read(current);
    if (status != Status::Ok)
        return status;
    QList<FaceEntry> result;
    QSet<quint32> taken;
    for (const FaceEntry &edit : ordered) {
        const auto it = std::find_if(current.cbegin(), current.cend(), [&](const FaceEntry &e) { return e.id == edit.id; });
        if (it == current.cend() || deleted.contains(edit.id) || taken.contains(edit.id))
            continue; // gone from the file meanwhile, or deleted
        FaceEntry kept = *it;
        kept.tip = edit.tip;
        result.append(kept);
        taken.insert(edit.id);
    }
    for (const FaceEntry &e : std::as_const(current)) {
        if (!taken.contains(e.id) && !deleted.contains(e.id)) {
            result.append(e); // added by someone else since the manager read the file
            taken.insert(e.id);
        }
    }
    return write(result);
}

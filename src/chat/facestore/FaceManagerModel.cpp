#include "chat/facestore/FaceManagerModel.h"

#include "chat/facestore/FaceStore.h"
#include "core/Gbk.h"

#include <QFile>
#include <QSet>
#include <algorithm>

void FaceManagerModel::Load(const FaceStore &store)
{
    m_records.clear();
    QList<FaceEntry> entries;
    store.index().Read(entries);
    for (const FaceEntry &e : std::as_const(entries)) {
        FaceRecord r;
        r.id = e.id;
        r.name = r.nameAsRead = Gbk::truncate(e.tip, FaceIndex::kTextBytes);
        r.org = e.org;
        r.fixed = e.fixed;
        r.shortcut = e.shortcut;
        r.imageIndex = int(m_records.size());
        m_records.append(r);
    }
}

int FaceManagerModel::rowCount() const
{
    return int(std::count_if(m_records.cbegin(), m_records.cend(), [](const FaceRecord &r) { return !r.deleted; }));
}

void FaceManagerModel::Rename(int row, const QString &name)
{
    if (row >= 0 && row < rowCount())
        m_records[row].name = Gbk::truncate(name, FaceIndex::kTextBytes);
}

void FaceManagerModel::Delete(QList<int> rows)
{
    const int count = rowCount();
    for (int row : std::as_const(rows)) {
        if (row >= 0 && row < count)
            m_records[row].deleted = true;
    }
    std::stable_partition(m_records.begin(), m_records.end(), [](const FaceRecord &r) { return !r.deleted; });
}

int FaceManagerModel::MoveUp(int row)
{
    if (row < 1 || row >= rowCount())
        return -1;
    m_records.swapItemsAt(row, row - 1);
    return row - 1;
}

int FaceManagerModel::MoveDown(int row)
{
    if (row < 0 || row >= rowCount() - 1)
        return -1;
    m_records.swapItemsAt(row, row + 1);
    return row + 1;
}

bool FaceManagerModel::HasChanges() const
{
    for (int i = 0; i < m_records.size(); ++i) {
        const FaceRecord &r = m_records[i];
        if (r.deleted || r.imageIndex != i || r.name != r.nameAsRead)
            return true;
    }
    return false;
}

bool FaceManagerModel::Apply(const FaceStore &store)
{
    if (!HasChanges())
        return false;
    QList<FaceEntry> kept;
    QSet<quint32> deleted;
    int firstStalePage = 0; // 1-based; 0: none
    const int pagesBefore = FacePages::PageCount(int(m_records.size()));
    for (int i = 0; i < m_records.size(); ++i) {
        const FaceRecord &r = m_records[i];
        if (r.deleted || r.imageIndex != i) {
            const int page = FacePages::PageOfPosition(r.imageIndex + 1);
            firstStalePage = firstStalePage == 0 ? page : std::min(firstStalePage, page);
        }
        if (r.deleted) {
            deleted.insert(r.id);
            continue;
        }
        FaceEntry e;
        e.id = r.id;
        e.tip = r.name;
        e.shortcut = r.shortcut;
        e.org = r.org;
        e.fixed = r.fixed;
        kept.append(e);
    }
    const bool written = store.index().ApplyEdits(kept, deleted) == FaceIndex::Status::Ok;
    if (written) {
        for (const FaceRecord &r : std::as_const(m_records)) {
            if (!r.deleted)
                continue;
            FaceEntry e { r.id, r.shortcut, r.name, r.org, r.fixed };
            const QString picture = store.pictureFile(e);
            const QString thumbnail = store.thumbnailFile(e);
            if (!picture.isEmpty())
                QFile::remove(picture);
            if (!thumbnail.isEmpty())
                QFile::remove(thumbnail);
        }
    }
    // Pages from the first one that changed on are stale (the later faces
    // move up when one goes).
    if (firstStalePage > 0) {
        for (int page = firstStalePage; page <= pagesBefore; ++page)
            store.RemovePageCache(page - 1);
    }
    if (written) {
        m_records.erase(std::remove_if(m_records.begin(), m_records.end(), [](const FaceRecord &r) { return r.deleted; }),
            m_records.end());
        for (int i = 0; i < m_records.size(); ++i) {
            m_records[i].imageIndex = i;
            m_records[i].nameAsRead = m_records[i].name;
        }
    }
    return written;
}

QList<FaceEntry> FaceManagerModel::ExportFaces(QList<int> rows) const
{
    const int count = rowCount();
    if (rows.isEmpty()) {
        for (int i = 0; i < count; ++i)
            rows.append(i);
    }
    std::sort(rows.begin(), rows.end());
    QList<FaceEntry> faces;
    for (int row : std::as_const(rows)) {
        if (row < 0 || row >= count)
            continue;
        const FaceRecord &r = m_records[row];
        faces.append(FaceEntry { r.id, r.shortcut, r.name, r.org, r.fixed });
    }
    return faces;
}

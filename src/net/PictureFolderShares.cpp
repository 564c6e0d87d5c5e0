#include "net/PictureFolderShares.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

PictureFolderShares::PictureFolderShares(PictureStore store)
    : m_store(std::move(store))
{
}

void PictureFolderShares::scan()
{
    if (m_scanned)
        return;
    m_scanned = true;
    const QStringList own { QFileInfo(m_store.ownHeadPicturePath()).fileName(),
        QFileInfo(m_store.ownCustomPicturePath()).fileName() };
    QFileInfoList found;
    for (const QString &folder : { PictureStore::recvFace(), PictureStore::userHeadPhoto() }) {
        const QDir dir(m_store.folderPath(folder));
        for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
            if (folder == PictureStore::userHeadPhoto() && own.contains(info.fileName()))
                continue;
            found.append(info);
        }
    }
    std::stable_sort(found.begin(), found.end(),
        [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() < b.lastModified(); });
    Sender &earlier = m_senders[kEarlier];
    for (const QFileInfo &info : std::as_const(found)) {
        const bool head = info.dir().dirName() == PictureStore::userHeadPhoto();
        const Use use = !head ? Use::ChatPicture
            : info.fileName().startsWith(QLatin1Char('1')) ? Use::CustomPicture
                                                           : Use::HeadPicture;
        File file { info.absoluteFilePath(), costOf(info.size()), use };
        earlier.bytes += file.cost;
        m_total += file.cost;
        m_owner.insert(file.path, kEarlier);
        earlier.files.push_back(std::move(file));
    }
    if (earlier.files.empty())
        m_senders.remove(kEarlier);
}

qint64 PictureFolderShares::totalBytes()
{
    scan();
    return m_total;
}

qint64 PictureFolderShares::bytesOf(quint32 address)
{
    scan();
    const auto it = m_senders.constFind(address);
    return it == m_senders.cend() ? 0 : it->bytes;
}

int PictureFolderShares::fileCount()
{
    scan();
    return int(m_owner.size());
}

void PictureFolderShares::evictOldest(quint32 address, bool atBound)
{
    const auto it = m_senders.find(address);
    if (it == m_senders.end() || it->files.empty())
        return;
    const File file = it->files.front();
    QFile::remove(file.path);
    removeRecord(address, file.path);
    if (m_evicted)
        m_evicted(address, file.path, atBound);
}

bool PictureFolderShares::MakeRoom(quint32 address, qint64 bytes)
{
    scan();
    const qint64 cost = costOf(bytes);
    if (cost > shareBytes())
        return false;
    // The sender's own oldest first while it would pass its share...
    while (bytesOf(address) > 0 && bytesOf(address) + cost > shareBytes())
        evictOldest(address, false);
    // ...then the heaviest sender's while all together would pass the bound.
    while (m_total + cost > m_limits.totalBytes && !m_senders.isEmpty()) {
        const auto heaviest = std::max_element(m_senders.cbegin(), m_senders.cend(),
            [](const Sender &a, const Sender &b) { return a.bytes < b.bytes; });
        evictOldest(heaviest.key(), true);
    }
    return true;
}

void PictureFolderShares::Added(quint32 address, const QString &path, Use use)
{
    scan();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Forget(absolute);
    File file { absolute, costOf(QFileInfo(absolute).size()), use };
    Sender &sender = m_senders[address];
    sender.bytes += file.cost;
    m_total += file.cost;
    m_owner.insert(absolute, address);
    sender.files.push_back(std::move(file));
}

void PictureFolderShares::Forget(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const auto owner = m_owner.constFind(absolute);
    if (owner != m_owner.cend())
        removeRecord(owner.value(), absolute);
}

void PictureFolderShares::DropHeadPhotos(quint32 address, Use use)
{
    scan();
    const auto it = m_senders.constFind(address);
    if (it == m_senders.cend())
        return;
    QStringList paths;
    for (const File &file : it->files) {
        if (file.use == use)
            paths.append(file.path);
    }
    for (const QString &path : std::as_const(paths)) {
        QFile::remove(path);
        removeRecord(address, path);
    }
}

void PictureFolderShares::removeRecord(quint32 address, const QString &path)
{
    m_owner.remove(path);
    const auto it = m_senders.find(address);
    if (it == m_senders.end())
        return;
    const auto file = std::find_if(it->files.begin(), it->files.end(), [&](const File &f) { return f.path == path; });
    if (file != it->files.end()) {
        it->bytes -= file->cost;
        m_total -= file->cost;
        it->files.erase(file);
    }
    if (it->files.empty())
        m_senders.erase(it);
}

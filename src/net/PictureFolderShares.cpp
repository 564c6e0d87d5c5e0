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

bool PictureFolderShares::evictOldest(quint32 address, bool atBound, const QSet<QString> &kept)
{
    const auto it = m_senders.find(address);
    if (it == m_senders.end())
        return false;
    const auto oldest
        = std::find_if(it->files.cbegin(), it->files.cend(), [&](const File &f) { return !kept.contains(f.path); });
    if (oldest == it->files.cend())
        return false;
    const QString path = oldest->path;
    QFile::remove(path);
    removeRecord(address, path);
    if (m_evicted)
        m_evicted(address, path, atBound);
    return true;
}

bool PictureFolderShares::MakeRoom(quint32 address, qint64 bytes, const QStringList &replaced)
{
    scan();
    const qint64 cost = costOf(bytes);
    if (cost > shareBytes())
        return false;
    // What the new file replaces is set aside: counted for no one.
    QSet<QString> kept;
    QHash<quint32, qint64> keptBytes;
    qint64 keptTotal = 0;
    for (const QString &path : replaced) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const auto owner = m_owner.constFind(absolute);
        if (owner == m_owner.cend() || kept.contains(absolute))
            continue;
        kept.insert(absolute);
        const std::deque<File> &files = m_senders.constFind(owner.value())->files;
        const auto file = std::find_if(files.cbegin(), files.cend(), [&](const File &f) { return f.path == absolute; });
        if (file != files.cend()) {
            keptBytes[owner.value()] += file->cost;
            keptTotal += file->cost;
        }
    }
    const auto counted = [&](quint32 sender) { return bytesOf(sender) - keptBytes.value(sender); };
    // The sender's own oldest first while it would pass its share...
    while (counted(address) > 0 && counted(address) + cost > shareBytes()) {
        if (!evictOldest(address, false, kept))
            break;
    }
    // ...then the heaviest sender's while all together would pass the bound.
    while (m_total - keptTotal + cost > m_limits.totalBytes) {
        quint32 heaviest = 0;
        qint64 most = 0;
        for (auto it = m_senders.cbegin(); it != m_senders.cend(); ++it) {
            if (counted(it.key()) > most) {
                most = counted(it.key());
                heaviest = it.key();
            }
        }
        if (most == 0 || !evictOldest(heaviest, true, kept))
            break;
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

void PictureFolderShares::Replace(quint32 address, const QString &path, Use use, const QStringList &replaced)
{
    const QString written = QFileInfo(path).absoluteFilePath();
    for (const QString &old : replaced) {
        const QString absolute = QFileInfo(old).absoluteFilePath();
        if (absolute == written)
            continue;
        QFile::remove(absolute);
        Forget(absolute);
    }
    Added(address, written, use);
}

QStringList PictureFolderShares::HeadPhotos(quint32 address, Use use)
{
    scan();
    QStringList paths;
    const auto it = m_senders.constFind(address);
    if (it == m_senders.cend())
        return paths;
    for (const File &file : it->files) {
        if (file.use == use)
            paths.append(file.path);
    }
    return paths;
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

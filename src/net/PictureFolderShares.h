// What the peers' pictures hold of the picture folders RecvFace and
// UserHeadPhoto, by sending address: each address holds at most a fair
// share, and when all of them together reach the bound the oldest pictures
// of the heaviest sender go first, so that a new peer's picture is always
// stored. The user's own pictures (CustomFace, SendFace, the own head and
// custom picture) are never counted nor deleted.
//
// The accounting is rebuilt from the folders at the first use after a
// start: the files found then belong to one sender, "earlier", oldest
// first by their time; only what arrives during the run is known by address.
#pragma once

#include "net/PeerBounds.h"
#include "net/PictureStore.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class PictureFolderShares
{
public:
    struct Limits
    {
        qint64 totalBytes = PeerBounds::kPictureFolderBytes;
        int shareDivisor = PeerBounds::kPictureFolderShareDivisor; // a sender's share: the total divided by this
    };
    // The pictures found in the folders at start: their senders are not known.
    static constexpr quint32 kEarlier = 0;
    // What a file costs at least (a file takes a block of the disk), so
    // that a flood of tiny pictures is bounded in files too.
    static constexpr qint64 kFileCost = 4096;

    enum class Use { ChatPicture, HeadPicture, CustomPicture };
    // A file deleted to make room: whose it was, and whether the folders
    // reached their bound (else its sender passed its share).
    using EvictionSink = std::function<void(quint32 address, const QString &path, bool atBound)>;

    explicit PictureFolderShares(PictureStore store);

    void setLimits(const Limits &limits) { m_limits = limits; }
    void setEvictionSink(EvictionSink sink) { m_evicted = std::move(sink); }

    // Makes room for a new file of `bytes` from the address: its own oldest
    // pictures go while it would hold more than its share, then the oldest
    // of the heaviest sender while all would hold more than the total.
    // The files the new one is to replace (`replaced`) are not counted and
    // never deleted here: they stay until the new one is written (Replace).
    // False when the file is larger than a share (nothing is deleted).
    bool MakeRoom(quint32 address, qint64 bytes, const QStringList &replaced = {});
    // The file was written for the address (one at the same path before is
    // replaced in the accounting).
    void Added(quint32 address, const QString &path, Use use);
    // The file was written for the address in place of the replaced ones,
    // which are deleted now.
    void Replace(quint32 address, const QString &path, Use use, const QStringList &replaced);
    // The file is gone (deleted by someone else).
    void Forget(const QString &path);
    // The head or custom pictures the address stored before: a new one from
    // the same address replaces them, whatever MAC it names.
    QStringList HeadPhotos(quint32 address, Use use);

    qint64 totalBytes();
    qint64 bytesOf(quint32 address);
    qint64 shareBytes() const { return m_limits.totalBytes / qMax(1, m_limits.shareDivisor); }
    int fileCount();

private:
    struct File
    {
        QString path;
        qint64 cost = 0;
        Use use = Use::ChatPicture;
    };
    struct Sender
    {
        std::deque<File> files; // oldest first
        qint64 bytes = 0;
    };
    static qint64 costOf(qint64 bytes) { return qMax(bytes, kFileCost); }
    void scan();
    // False when the address has no file but those kept.
    bool evictOldest(quint32 address, bool atBound, const QSet<QString> &kept);
    void removeRecord(quint32 address, const QString &path);

    PictureStore m_store;
    Limits m_limits;
    EvictionSink m_evicted;
    bool m_scanned = false;
    QHash<quint32, Sender> m_senders;
    QHash<QString, quint32> m_owner; // by path
    qint64 m_total = 0;
};

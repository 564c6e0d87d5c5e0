// Picture reception: the table of incoming pictures, reassembled from their
// CMD_PICTURE_DATA chunks (also 0x7c and 0x7e), acknowledged chunk by chunk,
// decoded and stored under the data folder when complete; and the
// acknowledgements CMD_PICTURE_ACK of the pictures this user sends. The
// windows hear of both through signals carrying value snapshots.
#pragma once

#include "net/FreeSpaceFloor.h"
#include "net/HostKey.h"
#include "net/PictureChunk.h"
#include "net/PeerBounds.h"
#include "net/PeerRateLimiter.h"
#include "net/PictureFolderShares.h"
#include "net/PictureStore.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <vector>

class CConfig;
class HostRecord;
class MessengerEngine;
struct PacketRecord;

// A picture that arrived whole (or was found already stored).
struct ReceivedPicture
{
    quint32 id = 0;
    qint32 kind = 0;
    qint32 compression = 0;
    qint32 purpose = 0; // 0 a chat picture; 1 the sender's head picture; 2 its custom picture
    quint32 groupId = 0; // the group chat it belongs to, 0 for a one-to-one chat
    HostKey sender;
    QString senderMac;
    QString filePath; // the stored file; empty when it could not be stored
    QImage image; // the bitmap; null for a GIF face or a picture from the store (show the file)
    bool fromStore = false; // the picture was on disk already: nothing was received
};

class IncomingPictures : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        quint32 maxPictureBytes = PictureChunk::kMaxPictureBytes; // announced total size
        int maxEntries = PeerBounds::kIncomingPictures; // pictures being received at once
        qint64 maxBufferedBytes = PeerBounds::kIncomingPictureBytes; // the chunks they hold together
        int shareDivisor = PeerBounds::kIncomingShareDivisor; // no sender holds more than this part
        // Kept for senders that hold nothing: the others use only the rest.
        int reserveEntries = PeerBounds::kIncomingReserveEntries;
        qint64 reserveBytes = PeerBounds::kIncomingReserveBytes;
        qint64 reserveIdleMs = PeerBounds::kIncomingReserveIdleMs; // a reserve picture this idle gives way
        qint64 timeoutMs = PeerBounds::kIncomingIdleMs; // an entry without a new chunk for this long is dropped
        qint64 maxAgeMs = PeerBounds::kIncomingMaxAgeMs; // and one this old whatever arrives
        qint64 claimMs = PeerBounds::kPictureClaimMs; // a whole chat picture waits this long for its message
        qint64 folderBytes = PeerBounds::kPictureFolderBytes; // RecvFace and UserHeadPhoto together
        int folderShareDivisor = PeerBounds::kPictureFolderShareDivisor; // a sender's part of them
        // A chat picture is kept only when a message of its sender names it.
        bool requireClaims = true;
    };
    // Copies of each acknowledgement of a chunk that arrived (a lost one
    // makes the sender resend). The acknowledgements of a picture already
    // stored go once each.
    static constexpr int kAckCopies = 2;
    // Acknowledgements waiting for the pacer at most.
    static constexpr int kMaxQueuedAcks = 16000;
    // Milliseconds of a monotonic clock.
    using Clock = std::function<qint64()>;
    // Sends the body of a CMD_PICTURE_ACK to a peer, in answer to a chunk of
    // `answering` bytes (0: to none, as the acknowledgements of a stored
    // picture beyond the chunk that came); false when the answer budget
    // refused it (the acknowledgements of a stored picture queued for that
    // peer are dropped then).
    using AckSender = std::function<bool(const HostKey &to, const QByteArray &body, qint32 answering)>;
    // True when a group chat with this id is known.
    using GroupLookup = std::function<bool(quint32 groupId)>;
    // The listed peer of an address and port; none when the host table does
    // not list it. Without a look-up every sender counts as listed.
    using HostLookup = std::function<const HostRecord *(const HostKey &key)>;
    using RefusalSink = std::function<void(PeerRefusal refusal, quint32 address)>;

    IncomingPictures(CConfig &config, const PictureStore &store, QObject *parent = nullptr);
    ~IncomingPictures() override;

    // Takes the picture commands from the engine's packetDispatched, sends
    // acknowledgements through its network manager, asks its host table who
    // is listed and counts refusals in its log.
    void AttachTo(MessengerEngine &engine);

    void setAckSender(AckSender sender) { m_ackSender = std::move(sender); }
    void setOwnAddress(std::function<quint32()> ownAddress) { m_ownAddress = std::move(ownAddress); }
    void setGroupLookup(GroupLookup lookup) { m_groupKnown = std::move(lookup); }
    void setHostLookup(HostLookup lookup) { m_hostLookup = std::move(lookup); }
    void setRefusalSink(RefusalSink sink) { m_refused = std::move(sink); }
    // True when the peer has shown it receives at its address (the
    // acknowledgements of a stored picture go to it at once); without a
    // check every peer counts as one.
    using ReceiverCheck = std::function<bool(const HostKey &key)>;
    void setReceiverCheck(ReceiverCheck check) { m_receiverCheck = std::move(check); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setLimits(const Limits &limits);
    // How the free space of the data folder's disk is learnt (tests give their own).
    void setFreeSpaceFloor(const FreeSpaceFloor &floor) { m_diskFloor = floor; }

    // The handler of packetDispatched: CMD_PICTURE_DATA, 0x7c, 0x7e and CMD_PICTURE_ACK.
    void HandlePacket(const PacketRecord &packet, HostRecord *sender);
    void OnPictureData(const PacketRecord &packet);
    // The handler of CMD_PICTURE_ACK: reports the acknowledged chunk.
    void OnPictureChunkAck(const PacketRecord &packet);
    // A message of the sender names these picture ids: their pictures are
    // kept when they complete (or now, when they are whole already).
    void ClaimPictures(const HostKey &sender, const QList<quint32> &ids);

    // Drops the incomplete entries whose last new chunk is older than the
    // time-out or that are older than the largest age, and the whole chat
    // pictures that no message claimed in time; returns how many. Runs on a
    // timer while entries exist.
    int ExpireEntries();
    int entryCount() const { return int(m_entries.size()); }
    // The bytes of the chunks held (not the sizes announced).
    qint64 bufferedBytes() const { return m_buffered; }
    // The bytes in RecvFace and UserHeadPhoto as counted (scanned once), of
    // all senders and of one address.
    qint64 folderBytes() { return m_folders.totalBytes(); }
    qint64 folderBytesOf(quint32 address) { return m_folders.bytesOf(address); }
    // Acknowledgements waiting for the pacer.
    qsizetype queuedAcks() const { return qsizetype(m_ackQueue.size()); }

signals:
    void pictureReceived(const ReceivedPicture &picture);
    void pictureChunkAcked(quint32 id, qint32 chunkNumber, const HostKey &sender);
    // The picture folders reached their bound: the oldest pictures of the
    // heaviest sender make room (said once a run, with the text for the
    // system log).
    void pictureFoldersFull(const QString &text);
    // A picture was not stored: the disk of the data folder is down to its
    // free-space floor (floorBytes; counted as a refusal too).
    void diskFloorReached(qint64 floorBytes);

private:
    struct Key
    {
        quint32 id = 0;
        quint32 address = 0;
        quint16 port = 0;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.id, key.address, key.port); }

    struct Entry
    {
        PictureChunkHeader head; // the fields every chunk must repeat
        HostKey sender;
        QString senderMac;
        std::map<quint32, QByteArray> chunks; // by offset: only what arrived
        std::vector<bool> arrived;
        qint32 arrivedCount = 0;
        qint64 bytesStored = 0;
        qint64 firstChunk = 0;
        qint64 lastChunk = 0;
        bool whole = false; // every chunk is in; waits for a message to name it
        qint64 wholeSince = 0;
        bool reserve = false; // held in the part kept for senders that hold nothing
        bool firstOfSender = false; // its sender held nothing when it began
    };
    // What one sender address holds of the budget.
    struct Share
    {
        int entries = 0;
        qint64 bytes = 0;
    };
    struct QueuedAck
    {
        HostKey to;
        QByteArray body;
    };

    bool accepts(const PacketRecord &packet, const PictureChunkHeader &h) const;
    bool sameHead(const PictureChunkHeader &a, const PictureChunkHeader &b) const;
    void acknowledge(const PacketRecord &chunk, quint32 id, qint32 chunkNumber, int copies = kAckCopies);
    bool answerFromStore(const PacketRecord &packet, const PictureChunkHeader &h, bool ack, bool listed);
    Entry *newEntry(const Key &key, const PacketRecord &packet, const PictureChunkHeader &h, const HostRecord *host);
    bool store(const Key &key, const PictureChunkHeader &h, const QByteArray &bytes);
    void complete(const Key &key);
    void keep(const Key &key);
    void finish(Entry &entry);
    bool claimed(const Key &key) const;
    bool roomFor(qint64 bytes, quint32 address, const QStringList &replaced = {});
    bool generalRoomFor(const Entry &entry, qint64 bytes) const;
    bool takeReserve(const Key &key, qint64 bytes);
    bool yieldReserve(quint32 address);
    void remember(const Key &key);
    void removeEntry(const Key &key);
    void refuse(PeerRefusal refusal, quint32 address);
    void pumpAcks();
    qint64 now() const;

    CConfig &m_config;
    PictureStore m_store;
    Limits m_limits;
    AckSender m_ackSender;
    std::function<quint32()> m_ownAddress;
    GroupLookup m_groupKnown;
    HostLookup m_hostLookup;
    RefusalSink m_refused;
    ReceiverCheck m_receiverCheck;
    Clock m_clock;
    QHash<Key, Entry> m_entries;
    QHash<quint32, Share> m_shares; // by sender address
    qint64 m_buffered = 0;
    int m_reserveEntries = 0; // entries in the reserve
    qint64 m_reserveBuffered = 0; // and their bytes
    // Pictures finished or answered from the store lately (and when), so that
    // late copies of their chunks are only acknowledged.
    QHash<Key, qint64> m_done;
    // Picture ids that messages named (and when).
    QHash<Key, qint64> m_claims;
    // The acknowledgements of stored pictures, given out at the picture pace;
    // and who had them lately.
    std::deque<QueuedAck> m_ackQueue;
    QTimer m_ackPacer;
    PeerRateLimiter m_storeAnswers { PeerBounds::kLargeAnswerIntervalMs, PeerBounds::kAnswerPeers };
    PictureFolderShares m_folders;
    FreeSpaceFloor m_diskFloor;
    bool m_saidFull = false;
    QTimer m_expiry;
};

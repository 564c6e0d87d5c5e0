// Picture reception: the table of incoming pictures, reassembled from their
// CMD_PICTURE_DATA chunks (also 0x7c and 0x7e), acknowledged chunk by chunk,
// decoded and stored under the data folder when complete; and the
// acknowledgements CMD_PICTURE_ACK of the pictures this user sends. The
// windows hear of both through signals carrying value snapshots.
#pragma once

#include "net/HostKey.h"
#include "net/PictureChunk.h"
#include "net/PictureStore.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
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
    QImage image; // the bitmap; null for a GIF face (show the file)
    bool fromStore = false; // the picture was on disk already: nothing was received
};

class IncomingPictures : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        quint32 maxPictureBytes = PictureChunk::kMaxPictureBytes; // announced total size
        int maxEntries = 32; // pictures being received at once
        qint64 maxBufferedBytes = qint64(64) << 20; // their buffers together
        qint64 timeoutMs = 60000; // an entry without a new chunk for this long is dropped
    };
    // Copies of each acknowledgement sent (a lost one makes the sender resend).
    static constexpr int kAckCopies = 2;
    // Milliseconds of a monotonic clock.
    using Clock = std::function<qint64()>;
    // Sends the body of a CMD_PICTURE_ACK to a peer.
    using AckSender = std::function<void(const HostKey &to, const QByteArray &body)>;
    // True when a group chat with this id is known.
    using GroupLookup = std::function<bool(quint32 groupId)>;

    IncomingPictures(CConfig &config, const PictureStore &store, QObject *parent = nullptr);
    ~IncomingPictures() override;

    // Takes the picture commands from the engine's packetDispatched and sends
    // acknowledgements (kAckCopies of each) through its network manager.
    void AttachTo(MessengerEngine &engine);

    void setAckSender(AckSender sender) { m_ackSender = std::move(sender); }
    void setOwnAddress(std::function<quint32()> ownAddress) { m_ownAddress = std::move(ownAddress); }
    void setGroupLookup(GroupLookup lookup) { m_groupKnown = std::move(lookup); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setLimits(const Limits &limits) { m_limits = limits; }

    // The handler of packetDispatched: CMD_PICTURE_DATA, 0x7c, 0x7e and CMD_PICTURE_ACK.
    void HandlePacket(const PacketRecord &packet, HostRecord *sender);
    void OnPictureData(const PacketRecord &packet);
    // The handler of CMD_PICTURE_ACK: reports the acknowledged chunk.
    void OnPictureChunkAck(const PacketRecord &packet);

    // Drops the incomplete entries whose last new chunk is older than the
    // time-out; returns how many. Runs on a timer while entries exist.
    int ExpireEntries();
    int entryCount() const { return int(m_entries.size()); }
    qint64 bufferedBytes() const { return m_buffered; }

signals:
    void pictureReceived(const ReceivedPicture &picture);
    void pictureChunkAcked(quint32 id, qint32 chunkNumber, const HostKey &sender);

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
        QByteArray data;
        std::vector<bool> arrived;
        qint32 arrivedCount = 0;
        qint64 bytesStored = 0;
        qint64 lastChunk = 0;
    };

    bool accepts(const PacketRecord &packet, const PictureChunkHeader &h) const;
    bool sameHead(const PictureChunkHeader &a, const PictureChunkHeader &b) const;
    void acknowledge(const HostKey &to, quint32 id, qint32 chunkNumber);
    bool answerFromStore(const PacketRecord &packet, const PictureChunkHeader &h, bool ack);
    Entry *newEntry(const Key &key, const PacketRecord &packet, const PictureChunkHeader &h);
    void complete(const Key &key);
    void finish(Entry &entry);
    void remember(const Key &key);
    void removeEntry(const Key &key);
    qint64 now() const;

    CConfig &m_config;
    PictureStore m_store;
    Limits m_limits;
    AckSender m_ackSender;
    std::function<quint32()> m_ownAddress;
    GroupLookup m_groupKnown;
    Clock m_clock;
    QHash<Key, Entry> m_entries;
    qint64 m_buffered = 0;
    // Pictures finished or answered from the store lately (and when), so that
    // late copies of their chunks are only acknowledged.
    QHash<Key, qint64> m_done;
    QTimer m_expiry;
};

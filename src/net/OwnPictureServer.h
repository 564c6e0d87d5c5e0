// Answers a peer's CMD_GET_PICTURE (0x7b) and CMD_GET_CUSTOM_PICTURE (0x7d)
// with the user's own head picture or custom picture: the .bmp file of
// PictureStore as an LZW-packed DIB in CMD_PICTURE_DATA chunks (new id, kind
// 1, compression 1, purpose 1 or 2, group 0). Peers do not acknowledge these
// chunks, so they go out once, at the picture pace. The answer is far larger
// than the request: only peers the host table lists get it, at most once
// per address (whatever the port) and picture in
// PeerBounds::kLargeAnswerIntervalMs, and within the address's answer
// budget. The sizes of these answers are what the own packets announce; the
// packed bytes are made again only when a file changes.
#pragma once

#include "net/PictureSender.h"
#include "net/PeerRateLimiter.h"
#include "net/PictureStore.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>

class CConfig;
class HostKey;
class HostRecord;
class MessengerEngine;
struct OwnPictureSizes;
struct PacketRecord;

class OwnPictureServer : public QObject
{
    Q_OBJECT
public:
    // Makes the chunk sender for one peer.
    using SenderFactory = std::function<PictureSender::SendFunction(const HostKey &to)>;

    OwnPictureServer(CConfig &config, const PictureStore &store, QObject *parent = nullptr);
    ~OwnPictureServer() override;

    // Answers the requests that reach the engine's packetDispatched, through
    // its network manager, and tells the engine the sizes to announce.
    void AttachTo(MessengerEngine &engine);
    void setSenderFactory(SenderFactory factory) { m_factory = std::move(factory); }

    void HandlePacket(const PacketRecord &packet, HostRecord *sender);
    // Queues the picture of the purpose (1 head picture, 2 custom picture)
    // for the peer; returns its chunks (0 when there is no such picture, or
    // too many answers wait).
    int Answer(const HostKey &to, qint32 purpose);
    // Chunks of answers waiting for the pacer.
    qint64 queuedChunks() const { return m_table.queuedChunks(); }
    // Answers waiting at most.
    static constexpr int kMaxWaitingAnswers = 64;
    // What the packet header of one chunk adds to its bytes, at most.
    static constexpr qint64 kChunkHeaderBytes = 256;
    // What a request for the purpose is answered with: empty when there is no
    // picture, or one too large to send. Its size is what the own packets
    // announce for it.
    QByteArray Payload(qint32 purpose) const;
    OwnPictureSizes Sizes() const;

private:
    // The packed bytes of one own picture file and the file version they
    // were made from.
    struct Cached
    {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        QByteArray payload;
    };

    CConfig &m_config;
    PictureStore m_store;
    SenderFactory m_factory;
    QPointer<MessengerEngine> m_engine;
    mutable std::array<Cached, 2> m_cache; // by purpose − 1
    PeerRateLimiter m_answers;
    PictureSendTable m_table;
    PicturePacer m_pacer { m_table };
};

// One outgoing picture: its data cut into numbered chunks, each sent as a
// CMD_PICTURE_DATA packet, the acknowledged chunks, and the resend passes.
//
//     PictureSender s(id, payload.data, payload.kind, payload.compression, 0, 0,
//         PictureSender::ChunkSizeFromConfig(config.BmpUdpSendSize),
//         PictureSender::NetSend(net, peer.key));
//     if (s.isValid()) s.SendAll();
//     ... on each acknowledgement: s.OnAck(n); on the resend timer: s.SendMissing();
#pragma once

#include "net/PictureChunk.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

class CNetManager;
class HostKey;

class PictureSender
{
public:
    // Sends one chunk: its header text and its bytes. False when the send failed.
    using SendFunction = std::function<bool(const QByteArray &header, QByteArrayView chunk)>;

    enum class Status {
        Ok,
        Empty, // no data
        TooLarge, // more than PictureChunk::kMaxPictureBytes, or more than 8000 chunks even at the largest size
    };

    // "BmpUdpSendSize" as the chunk size: outside 128..65536 it is 512, and it
    // never exceeds what fits into one packet with its header.
    static qint32 ChunkSizeFromConfig(int bmpUdpSendSize);
    // Sends chunks to the peer with CNetManager::SendToHost (command word
    // 0x2000c0, the chunk as the extension part).
    static SendFunction NetSend(CNetManager &net, const HostKey &to);

    // chunkSize is clamped into 1..kMaxChunkSize; when the data would need
    // more than 8000 chunks it is raised to the smallest size that needs 8000.
    PictureSender(quint32 id, QByteArray data, qint32 kind, qint32 compression, qint32 purpose, quint32 groupId,
        qint32 chunkSize, SendFunction send);

    Status status() const { return m_status; }
    bool isValid() const { return m_status == Status::Ok; }
    quint32 id() const { return m_id; }
    qint32 purpose() const { return m_purpose; }
    qint32 chunkSize() const { return m_chunkSize; }
    qint32 chunkCount() const { return m_chunkCount; }
    qint32 ackedCount() const { return m_ackedCount; }
    qsizetype size() const { return m_data.size(); }

    // The header of chunk n (1-based).
    PictureChunkHeader chunkHeader(qint32 n) const;

    // Sends every chunk in order; returns how many were sent. A failed send
    // is followed by a 2 ms pause (the chunk stays unacknowledged).
    int SendAll();
    // Sends the chunks that are not acknowledged yet, in order.
    int SendMissing();
    // Marks chunk n acknowledged; true when it was not before.
    bool OnAck(qint32 chunkNumber);
    bool IsComplete() const { return m_chunkCount > 0 && m_ackedCount == m_chunkCount; }

    // Resend passes ("BmpUdpTrys": 0..15, else 10).
    static int TriesFromConfig(int bmpUdpTrys);
    void setTries(int tries) { m_tries = tries; }
    int tries() const { return m_tries; }
    int passes() const { return m_passes; }
    // One pass of the resend timer: sends the missing chunks and counts the
    // pass. Returns the chunks sent; `finished` tells that the picture is
    // done with (complete, nothing to send, or its passes spent).
    int ResendPass(bool &finished);

private:
    int sendChunks(bool onlyMissing);

    quint32 m_id;
    QByteArray m_data;
    qint32 m_kind;
    qint32 m_compression;
    qint32 m_purpose;
    quint32 m_groupId;
    qint32 m_chunkSize = PictureChunk::kDefaultChunkSize;
    qint32 m_chunkCount = 0;
    qint32 m_ackedCount = 0;
    int m_tries = 10;
    int m_passes = 0;
    std::vector<bool> m_acked;
    SendFunction m_send;
    Status m_status = Status::Ok;
};

// The outgoing pictures of one window, searched by id: acknowledgements are
// routed to their picture and the resend timer runs one pass over all.
class PictureSendTable
{
public:
    bool Contains(quint32 id) const { return find(id) != nullptr; }
    bool isEmpty() const { return m_senders.empty(); }
    qsizetype count() const { return qsizetype(m_senders.size()); }
    // Takes a valid sender whose id is not in the table yet; false otherwise.
    bool Add(std::unique_ptr<PictureSender> sender);
    // An acknowledgement; a picture whose chunks are all acknowledged leaves
    // the table. Chunk numbers outside 1..8000 and unknown ids change nothing.
    void OnPictureChunkAck(quint32 id, qint32 chunkNumber);
    // The resend timer: one pass over every picture in order; finished ones
    // leave the table. Returns the chunks sent: 0 means the timer can stop.
    int ResendPass();

private:
    PictureSender *find(quint32 id) const;

    std::vector<std::unique_ptr<PictureSender>> m_senders;
};

#include "net/PictureSender.h"

#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostKey.h"

#include <QThread>
#include <algorithm>

using namespace PictureChunk;

qint32 PictureSender::ChunkSizeFromConfig(int bmpUdpSendSize)
{
    const qint32 size = bmpUdpSendSize >= 128 && bmpUdpSendSize <= 65536 ? bmpUdpSendSize : kDefaultChunkSize;
    return std::min(size, kMaxChunkSize);
}

int PictureSender::TriesFromConfig(int bmpUdpTrys)
{
    return bmpUdpTrys >= 0 && bmpUdpTrys <= 15 ? bmpUdpTrys : 10;
}

PictureSender::SendFunction PictureSender::NetSend(CNetManager &net, const HostKey &to)
{
    return [&net, to](const QByteArray &header, QByteArrayView chunk) {
        return net.SendToHost(to, CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, chunk, qint32(chunk.size()), 0);
    };
}

PictureSender::PictureSender(quint32 id, QByteArray data, qint32 kind, qint32 compression, qint32 purpose,
    quint32 groupId, qint32 chunkSize, SendFunction send)
    : m_id(id)
    , m_data(std::move(data))
    , m_kind(kind)
    , m_compression(compression)
    , m_purpose(purpose)
    , m_groupId(groupId)
    , m_send(std::move(send))
{
    if (m_data.isEmpty()) {
        m_status = Status::Empty;
        return;
    }
    if (m_data.size() > qsizetype(kMaxPictureBytes)) {
        m_status = Status::TooLarge;
        return;
    }
    const qint64 size = m_data.size();
    qint64 chunk = std::clamp<qint64>(chunkSize, 1, kMaxChunkSize);
    // Never more than 8000 chunks: a larger picture goes in larger chunks.
    chunk = std::max(chunk, (size + kMaxChunks - 1) / kMaxChunks);
    if (chunk > kMaxChunkSize) {
        m_status = Status::TooLarge;
        return;
    }
    m_chunkSize = qint32(chunk);
    m_chunkCount = qint32((size + chunk - 1) / chunk);
    m_acked.assign(size_t(m_chunkCount), false);
}

PictureChunkHeader PictureSender::chunkHeader(qint32 n) const
{
    PictureChunkHeader h;
    h.id = m_id;
    h.totalSize = quint32(m_data.size());
    h.offset = (n - 1) * m_chunkSize;
    h.chunkCount = m_chunkCount;
    h.chunkNumber = n;
    h.chunkLength = n < m_chunkCount ? m_chunkSize : qint32(m_data.size() - qint64(m_chunkSize) * (m_chunkCount - 1));
    h.kind = m_kind;
    h.compression = m_compression;
    h.purpose = m_purpose;
    h.groupId = m_groupId;
    return h;
}

int PictureSender::sendChunks(bool onlyMissing)
{
    if (!isValid() || !m_send)
        return 0;
    int sent = 0;
    for (qint32 n = 1; n <= m_chunkCount; ++n) {
        if (onlyMissing && m_acked[size_t(n - 1)])
            continue;
        const PictureChunkHeader h = chunkHeader(n);
        if (!m_send(FormatHeader(h), QByteArrayView(m_data).sliced(h.offset, h.chunkLength)))
            QThread::msleep(2);
        ++sent;
    }
    return sent;
}

int PictureSender::SendAll()
{
    return sendChunks(false);
}

int PictureSender::SendMissing()
{
    return sendChunks(true);
}

bool PictureSender::OnAck(qint32 chunkNumber)
{
    if (chunkNumber < 1 || chunkNumber > m_chunkCount || m_acked[size_t(chunkNumber - 1)])
        return false;
    m_acked[size_t(chunkNumber - 1)] = true;
    ++m_ackedCount;
    return true;
}

int PictureSender::ResendPass(bool &finished)
{
    finished = true;
    if (IsComplete() || m_tries <= 0)
        return 0;
    const int sent = SendMissing();
    if (sent == 0)
        return 0;
    ++m_passes;
    finished = m_passes > m_tries;
    return sent;
}

// ---- PictureSendTable --------------------------------------------------------

PictureSender *PictureSendTable::find(quint32 id) const
{
    for (const auto &sender : m_senders) {
        if (sender->id() == id)
            return sender.get();
    }
    return nullptr;
}

bool PictureSendTable::Add(std::unique_ptr<PictureSender> sender)
{
    if (!sender || !sender->isValid() || Contains(sender->id()))
        return false;
    m_senders.push_back(std::move(sender));
    return true;
}

void PictureSendTable::OnPictureChunkAck(quint32 id, qint32 chunkNumber)
{
    if (chunkNumber < 1 || chunkNumber > kMaxChunks)
        return;
    const auto it
        = std::find_if(m_senders.begin(), m_senders.end(), [id](const auto &sender) { return sender->id() == id; });
    if (it == m_senders.end())
        return;
    (*it)->OnAck(chunkNumber);
    if ((*it)->IsComplete())
        m_senders.erase(it);
}

int PictureSendTable::ResendPass()
{
    int sent = 0;
    for (auto it = m_senders.begin(); it != m_senders.end();) {
        bool finished = false;
        sent += (*it)->ResendPass(finished);
        it = finished ? m_senders.erase(it) : it + 1;
    }
    return sent;
}

#include "net/PictureSender.h"

#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostKey.h"

#include <QElapsedTimer>
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
    m_queued.assign(size_t(m_chunkCount), false);
    m_everSent.assign(size_t(m_chunkCount), false);
}

bool PictureSender::IsAcked(qint32 chunkNumber) const
{
    return chunkNumber >= 1 && chunkNumber <= m_chunkCount && m_acked[size_t(chunkNumber - 1)];
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

bool PictureSender::sendChunk(qint32 n, qint64 now)
{
    const PictureChunkHeader h = chunkHeader(n);
    const size_t i = size_t(n - 1);
    ++m_transmissions;
    if (m_everSent[i])
        ++m_resent;
    m_everSent[i] = true;
    m_lastSend = now;
    return m_send(FormatHeader(h), QByteArrayView(m_data).sliced(h.offset, h.chunkLength));
}

int PictureSender::sendChunks(bool onlyMissing)
{
    if (!isValid() || !m_send)
        return 0;
    int sent = 0;
    for (qint32 n = 1; n <= m_chunkCount; ++n) {
        if (onlyMissing && m_acked[size_t(n - 1)])
            continue;
        sendChunk(n, m_lastSend); // a failed chunk stays unacknowledged
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
    ++m_acksThisPass;
    return true;
}

void PictureSender::QueueAll()
{
    if (!isValid())
        return;
    for (qint32 n = 1; n <= m_chunkCount; ++n) {
        if (!m_queued[size_t(n - 1)]) {
            m_queued[size_t(n - 1)] = true;
            m_queue.push_back(n);
        }
    }
    m_acksThisPass = 0;
}

int PictureSender::QueueMissing()
{
    if (!isValid())
        return 0;
    int queued = 0;
    for (qint32 n = 1; n <= m_chunkCount; ++n) {
        const size_t i = size_t(n - 1);
        if (!m_acked[i] && !m_queued[i]) {
            m_queued[i] = true;
            m_queue.push_back(n);
            ++queued;
        }
    }
    return queued;
}

int PictureSender::SendQueued(int budget, qint64 now, bool *failed)
{
    if (failed)
        *failed = false;
    int sent = 0;
    while (sent < budget && !m_queue.empty()) {
        const qint32 n = m_queue.front();
        m_queue.pop_front();
        m_queued[size_t(n - 1)] = false;
        if (m_acked[size_t(n - 1)])
            continue;
        ++sent;
        if (!sendChunk(n, now)) {
            if (failed)
                *failed = true;
            break;
        }
    }
    return sent;
}

bool PictureSender::BeginPass()
{
    if (IsComplete() || m_passes >= m_tries)
        return false;
    ++m_passes;
    m_repairsThisPass = 0;
    m_acksThisPass = 0;
    QueueMissing();
    return true;
}

void PictureSender::BeginRepair()
{
    ++m_repairs;
    ++m_repairsThisPass;
    QueueMissing();
}

int PictureSender::ResendPass(bool &finished)
{
    finished = true;
    if (IsComplete() || m_tries <= 0 || m_passes >= m_tries)
        return 0;
    const int sent = SendMissing();
    if (sent == 0)
        return 0;
    ++m_passes;
    finished = false;
    return sent;
}

PictureSendStats PictureSender::stats(qint64 now) const
{
    PictureSendStats s;
    s.id = m_id;
    s.chunkCount = m_chunkCount;
    s.ackedCount = m_ackedCount;
    s.transmissions = m_transmissions;
    s.resent = m_resent;
    s.passes = m_passes;
    s.repairs = m_repairs;
    s.elapsedMs = now - m_start;
    s.complete = IsComplete();
    return s;
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

bool PictureSendTable::Add(std::unique_ptr<PictureSender> sender, qint64 now)
{
    if (!sender || !sender->isValid() || Contains(sender->id()))
        return false;
    sender->setStartTime(now);
    sender->QueueAll();
    m_senders.push_back(std::move(sender));
    return true;
}

PictureSendTable::Senders::iterator PictureSendTable::finish(Senders::iterator it, qint64 now)
{
    // The picture leaves with its data; the handler sees its figures.
    std::unique_ptr<PictureSender> gone = std::move(*it);
    const qsizetype index = it - m_senders.begin();
    const auto next = m_senders.erase(it);
    if (m_next > index)
        --m_next;
    if (m_finished)
        m_finished(gone->stats(now));
    return next;
}

void PictureSendTable::OnPictureChunkAck(quint32 id, qint32 chunkNumber, qint64 now)
{
    if (chunkNumber < 1 || chunkNumber > kMaxChunks)
        return;
    const auto it
        = std::find_if(m_senders.begin(), m_senders.end(), [id](const auto &sender) { return sender->id() == id; });
    if (it == m_senders.end())
        return;
    (*it)->OnAck(chunkNumber);
    // While a step sends (a send function may answer at once), the picture
    // stays; the step takes complete pictures out when it is done.
    if ((*it)->IsComplete() && !m_pumping)
        finish(it, now);
}

qint64 PictureSendTable::queuedChunks() const
{
    qint64 queued = 0;
    for (const auto &sender : m_senders)
        queued += sender->queuedCount();
    return queued;
}

std::optional<qint64> PictureSendTable::Pump(qint64 now)
{
    // Sending: the step's budget goes round the pictures in turn.
    int budget = kChunksPerStep;
    const qsizetype n = qsizetype(m_senders.size());
    m_pumping = true;
    for (qsizetype k = 0; k < n && budget > 0; ++k) {
        PictureSender &sender = *m_senders[size_t((m_next + k) % n)];
        bool failed = false;
        budget -= sender.SendQueued(budget, now, &failed);
        if (failed)
            break; // the network refuses: try again next step
    }
    m_pumping = false;
    if (n > 0)
        m_next = (m_next + 1) % n;
    for (auto it = m_senders.begin(); it != m_senders.end();)
        it = (*it)->IsComplete() ? finish(it, now) : it + 1;

    // Pictures without resends are done with once sent; the others may be
    // repaired early.
    std::optional<qint64> next;
    if (queuedChunks() > 0)
        next = now + kStepMs;
    for (auto it = m_senders.begin(); it != m_senders.end();) {
        PictureSender &sender = **it;
        if (sender.hasQueued()) {
            ++it;
            continue;
        }
        if (sender.tries() <= 0) {
            it = finish(it, now);
            continue;
        }
        if (sender.repairsThisPass() < kRepairRounds && sender.acksThisPass() > 0) {
            const qint64 due = sender.lastSendTime() + kRepairGraceMs;
            if (now >= due) {
                sender.BeginRepair();
                next = now + kStepMs;
            } else if (!next || due < *next) {
                next = due;
            }
        }
        ++it;
    }
    return next;
}

int PictureSendTable::ResendPass(qint64 now)
{
    int queued = 0;
    for (auto it = m_senders.begin(); it != m_senders.end();) {
        PictureSender &sender = **it;
        if (sender.IsComplete() || sender.tries() <= 0 || !sender.BeginPass()) {
            it = finish(it, now);
            continue;
        }
        queued += int(sender.queuedCount());
        ++it;
    }
    return queued;
}

// ---- PicturePacer --------------------------------------------------------------

PicturePacer::PicturePacer(PictureSendTable &table, Clock clock, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_clock(std::move(clock))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PicturePacer::step);
}

qint64 PicturePacer::now() const
{
    if (m_clock)
        return m_clock();
    static const QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

void PicturePacer::Kick()
{
    // A step due anyway is not brought forward: acknowledgements must not
    // add chunks to the pace.
    if (m_timer.isActive() && m_timer.remainingTime() <= PictureSendTable::kStepMs)
        return;
    step();
}

void PicturePacer::step()
{
    const qint64 t = now();
    const std::optional<qint64> next = m_table.Pump(t);
    if (next)
        m_timer.start(int(std::clamp<qint64>(*next - t, 0, 60000)));
    else
        m_timer.stop();
}

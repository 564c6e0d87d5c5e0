// One outgoing picture: its data cut into numbered chunks, each sent as a
// CMD_PICTURE_DATA packet, the acknowledged chunks, and the resend passes.
//
// A chat picture is sent paced: the chunks wait in the picture's queue and a
// PictureSendTable hands them to the network a few at a time (PicturePacer
// drives it from the event loop), so that thousands of chunks never leave
// in one burst and nothing sleeps on the GUI thread. SendAll() sends every
// chunk at once and is only for small pictures (the own head pictures).
#pragma once

#include "net/PictureChunk.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CNetManager;
class HostKey;

// What became of one outgoing picture, for the event log and measurements.
struct PictureSendStats
{
    quint32 id = 0;
    qint32 chunkCount = 0;
    qint32 ackedCount = 0;
    qint64 transmissions = 0; // chunks put on the wire, first sends and resends
    qint64 resent = 0; // of those, chunks that had gone out before
    int passes = 0; // resend passes (the 5-second timer)
    int repairs = 0; // early repair rounds inside the passes
    qint64 elapsedMs = 0; // from the first chunk to the end
    bool complete = false; // every chunk acknowledged; false: given up
};

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
    bool IsAcked(qint32 chunkNumber) const;

    // The header of chunk n (1-based).
    PictureChunkHeader chunkHeader(qint32 n) const;

    // Sends every chunk in order at once; returns how many were sent. A
    // failed send leaves its chunk unacknowledged.
    int SendAll();
    // Sends the chunks that are not acknowledged yet, in order, at once.
    int SendMissing();
    // Marks chunk n acknowledged; true when it was not before.
    bool OnAck(qint32 chunkNumber);
    bool IsComplete() const { return m_chunkCount > 0 && m_ackedCount == m_chunkCount; }

    // ---- paced sending ----
    // Puts every chunk into the queue, in order.
    void QueueAll();
    // Puts the chunks not acknowledged and not queued yet into the queue;
    // returns how many.
    int QueueMissing();
    bool hasQueued() const { return !m_queue.empty(); }
    qsizetype queuedCount() const { return qsizetype(m_queue.size()); }
    // Sends at most `budget` queued chunks, skipping those acknowledged in
    // the meantime. A failed send ends the call (its chunk counts as lost).
    // Returns how many were sent.
    int SendQueued(int budget, qint64 now, bool *failed = nullptr);
    // When the last chunk went out (0 before the first).
    qint64 lastSendTime() const { return m_lastSend; }
    // Acknowledgements that arrived since the picture was queued or its
    // last resend pass began.
    int acksThisPass() const { return m_acksThisPass; }

    // Resend passes ("BmpUdpTrys": 0..15, else 10).
    static int TriesFromConfig(int bmpUdpTrys);
    void setTries(int tries) { m_tries = tries; }
    int tries() const { return m_tries; }
    int passes() const { return m_passes; }
    // One pass of the resend timer, sending at once: the missing chunks go
    // again and the pass is counted. Returns the chunks sent; `finished`
    // tells that the picture is done with (complete, nothing to send, or its
    // passes spent: a picture gets `tries` resend passes at most).
    int ResendPass(bool &finished);

    // The figures so far; `now` ends the elapsed time.
    PictureSendStats stats(qint64 now) const;
    void setStartTime(qint64 now) { m_start = now; }
    // Counts an early repair round of the table.
    void countRepair() { ++m_repairs; }
    int repairsThisPass() const { return m_repairsThisPass; }
    // Starts a paced resend pass: counts it and queues the missing chunks.
    // False when the passes are spent (the picture is to be given up).
    bool BeginPass();
    void BeginRepair();

private:
    bool sendChunk(qint32 n, qint64 now);
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
    int m_repairs = 0;
    int m_repairsThisPass = 0;
    int m_acksThisPass = 0;
    std::vector<bool> m_acked;
    std::vector<bool> m_queued;
    std::vector<bool> m_everSent;
    std::deque<qint32> m_queue;
    qint64 m_transmissions = 0;
    qint64 m_resent = 0;
    qint64 m_start = 0;
    qint64 m_lastSend = 0;
    SendFunction m_send;
    Status m_status = Status::Ok;
};

// The outgoing pictures of one window, searched by id: acknowledgements are
// routed to their picture, Pump() sends the queued chunks a few at a time
// and repairs a picture early, and the resend timer runs one pass over all.
//
// Early repair: when a picture's queue has drained and chunks are still
// unacknowledged kRepairGraceMs after its last chunk went out, the missing
// chunks are queued again, at most kRepairRounds times per resend pass and
// only when the peer acknowledged something since the pass began (a peer
// that answers nothing gets only the resend passes).
class PictureSendTable
{
public:
    // Chunks per step and the time between steps: about 2000 chunks a second.
    static constexpr int kChunksPerStep = 4;
    static constexpr int kStepMs = 2;
    static constexpr int kRepairGraceMs = 600;
    static constexpr int kRepairRounds = 5;

    using FinishedHandler = std::function<void(const PictureSendStats &stats)>;

    bool Contains(quint32 id) const { return find(id) != nullptr; }
    bool isEmpty() const { return m_senders.empty(); }
    qsizetype count() const { return qsizetype(m_senders.size()); }
    // Takes a valid sender whose id is not in the table yet and queues all
    // its chunks; false otherwise. `now` starts its clock.
    bool Add(std::unique_ptr<PictureSender> sender, qint64 now = 0);
    // An acknowledgement; a picture whose chunks are all acknowledged leaves
    // the table. Chunk numbers outside 1..8000 and unknown ids change nothing.
    void OnPictureChunkAck(quint32 id, qint32 chunkNumber, qint64 now = 0);
    // One step of the pacing: sends up to kChunksPerStep queued chunks and
    // starts due repairs. Returns when the next step is due; none when
    // nothing waits (until an acknowledgement, a new picture or a pass).
    std::optional<qint64> Pump(qint64 now);
    // The resend timer: one pass over every picture in order. Pictures whose
    // tries are 0 or whose passes are spent leave (with their data); the
    // others queue their missing chunks. Returns the chunks queued: 0 means
    // the timer can stop.
    int ResendPass(qint64 now = 0);
    // Told of every picture that leaves the table, complete or given up.
    void setFinishedHandler(FinishedHandler handler) { m_finished = std::move(handler); }
    qint64 queuedChunks() const;

private:
    using Senders = std::vector<std::unique_ptr<PictureSender>>;
    PictureSender *find(quint32 id) const;
    // Takes the picture out of the table; returns the one after it.
    Senders::iterator finish(Senders::iterator it, qint64 now);

    Senders m_senders;
    FinishedHandler m_finished;
    qsizetype m_next = 0; // where the next step starts (round robin)
    bool m_pumping = false; // a step is sending
};

// Runs a PictureSendTable from the event loop: one precise single-shot timer
// armed for the table's next step.
class PicturePacer : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<qint64()>;
    // clock: empty uses a monotonic clock.
    explicit PicturePacer(PictureSendTable &table, Clock clock = {}, QObject *parent = nullptr);
    // Runs a step now (new pictures, acknowledgements, passes).
    void Kick();
    qint64 now() const;
    bool isArmed() const { return m_timer.isActive(); }

private:
    void step();

    PictureSendTable &m_table;
    Clock m_clock;
    QTimer m_timer;
};

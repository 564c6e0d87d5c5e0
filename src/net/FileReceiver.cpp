#include "net/FileReceiver.h"

#include "core/CConfig.h"
#include "core/PathUtil.h"
#include "net/CNetManager.h"
#include "net/FileReceiveWorker.h"
#include "net/ReceivePrompts.h"

#include <QFileInfo>

namespace {

bool g_overwriteAll = false;

ReceiveResult cancelledResult()
{
    ReceiveResult r;
    r.error = ReceiveError::Cancelled;
    return r;
}

} // namespace

FileReceiver::FileReceiver(CNetManager &net, CConfig *config, ReceivePrompts *prompts, QObject *parent)
    : QObject(parent)
    , m_net(net)
    , m_config(config)
    , m_prompts(prompts)
{
    qRegisterMetaType<ReceiveProgress>();
    qRegisterMetaType<FileReceiveJob>();
    if (!m_prompts) {
        m_ownPrompts = std::make_unique<PrompterReceivePrompts>();
        m_prompts = m_ownPrompts.get();
    }
}

FileReceiver::~FileReceiver()
{
    if (m_worker) {
        m_worker->disconnect(this);
        m_worker.reset(); // cancels and waits
    }
}

bool FileReceiver::overwriteAll()
{
    return g_overwriteAll;
}

void FileReceiver::setOverwriteAll(bool on)
{
    g_overwriteAll = on;
}

FileReceiveLimits FileReceiver::limits() const
{
    if (m_limits)
        return *m_limits;
    return m_config ? FileReceiveLimits::fromConfig(*m_config) : FileReceiveLimits();
}

void FileReceiver::Receive(FileReceiveJob job)
{
    enqueue({ std::move(job) }, false);
}

void FileReceiver::ReceiveAll(const QList<FileReceiveJob> &jobs)
{
    enqueue(jobs, true);
}

void FileReceiver::enqueue(QList<FileReceiveJob> jobs, bool receiveAll)
{
    const int batch = m_nextBatch++;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        jobs[i].batch = batch;
        jobs[i].receiveAll = receiveAll;
        jobs[i].askUser = i == 0; // the user chose the first target; the others are asked about
        m_queue.push_back(jobs[i]);
    }
    scheduleNext();
}

// The next item starts from the event loop, never inside the handler that
// ended the previous one: its questions are then asked from a clean stack.
void FileReceiver::scheduleNext()
{
    if (m_worker || m_queue.empty() || m_startPending || m_preparing)
        return;
    m_startPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_startPending = false;
            if (!m_queue.empty())
                PrepareReceive(m_queue.front().askUser);
        },
        Qt::QueuedConnection);
}

void FileReceiver::Cancel()
{
    if (m_preparing)
        m_cancelWhilePreparing = true; // a question is open: the item ends when it is answered
    else if (m_worker)
        m_worker->cancel(); // its result comes back through FinishReceive
    else if (!m_queue.empty())
        FinishReceive(cancelledResult());
}

bool FileReceiver::PrepareReceive(bool askUser)
{
    if (m_worker || m_queue.empty() || m_preparing)
        return false;
    FileReceiveJob &job = m_queue.front();
    if (askUser)
        g_overwriteAll = false;
    // The questions run an event loop of their own: an interruption meanwhile
    // is kept until they are answered.
    m_preparing = true;
    m_cancelWhilePreparing = false;
    const bool settled = settleTarget(job, askUser);
    m_preparing = false;
    if (!settled || m_cancelWhilePreparing) {
        FinishReceive(cancelledResult());
        return true;
    }
    ReceiveProgress preparing;
    preparing.bytesTotal = job.entry.size;
    preparing.text = QStringLiteral("准备接收 %1 ...").arg(GetPathFileName(job.targetPath));
    emit progressChanged(preparing);
    ConnectForReceive();
    return true;
}

// A folder that exists, or an existing file the user does not want replaced,
// gets another name from a save-as chooser. False: the user cancelled.
bool FileReceiver::settleTarget(FileReceiveJob &job, bool askUser)
{
    const QFileInfo target(job.targetPath);
    if (job.isFolder()) {
        // Keeping the name means the receive fails: the folder is never merged.
        if (target.exists() || target.isSymLink())
            askSavePath(job);
        return true;
    }
    if (askUser || g_overwriteAll || !target.isFile())
        return true;
    switch (m_prompts->askOverwrite(OverwriteQuestion(job.targetPath))) {
    case OverwriteChoice::Yes:
        return true;
    case OverwriteChoice::OverwriteAll:
        g_overwriteAll = true;
        return true;
    case OverwriteChoice::No:
        return askSavePath(job);
    case OverwriteChoice::Cancel:
        break;
    }
    return false;
}

bool FileReceiver::askSavePath(FileReceiveJob &job)
{
    QString path = m_prompts->chooseSavePath(job.targetPath);
    if (path.isEmpty())
        return false;
    // The item's extension is the default one.
    const QString extension = GetPathExtension(job.targetPath);
    if (!job.isFolder() && !extension.isEmpty() && GetPathExtension(path).isEmpty())
        path += QLatin1Char('.') + extension;
    setTarget(job, path);
    return true;
}

void FileReceiver::setTarget(FileReceiveJob &job, const QString &path)
{
    job.targetPath = path;
    job.entry.name = GetPathFileName(path);
    emit itemPathChanged(job.packetNumber, job.entry.fileId, path);
}

bool FileReceiver::ConnectForReceive()
{
    const FileReceiveJob &job = m_queue.front();
    ReceiveRequest request;
    request.saveFolder = GetParentDirectory(job.targetPath).value_or(QString());
    request.name = GetPathFileName(job.targetPath);
    request.entry = job.entry;
    request.address = job.peerAddress;
    request.port = job.peerPort;
    request.packet = m_net.BuildPacket(m_net.NextPacketNumber(), job.isFolder() ? CMD_GET_FOLDER : CMD_GET_FILE_DATA,
        FileRequestBody(job.isFolder(), job.packetNumber, job.entry.fileId));
    request.keepPartial = job.receiveAll;
    request.limits = limits();
    if (m_config)
        m_config->LASTOPEN_STR = request.saveFolder;

    m_worker = std::make_unique<FileReceiveWorker>(std::move(request));
    connect(m_worker.get(), &FileReceiveWorker::requestSent, this, &FileReceiver::onRequestSent);
    connect(m_worker.get(), &FileReceiveWorker::progress, this, &FileReceiver::progressChanged);
    connect(m_worker.get(), &FileReceiveWorker::notice, this, &FileReceiver::onNotice);
    connect(m_worker.get(), &FileReceiveWorker::receiveFinished, this, &FileReceiver::FinishReceive);
    m_worker->start();
    return true;
}

void FileReceiver::onRequestSent()
{
    if (!m_batchClock.isValid())
        m_batchClock.start();
    if (!m_queue.empty())
        emit itemStatusChanged(m_queue.front().packetNumber, m_queue.front().entry.fileId, ReceiveRowStatus::Receiving);
}

void FileReceiver::onNotice(const ReceiveNotice &notice)
{
    if (notice.kind == ReceiveNotice::Kind::History)
        emit systemText(notice.text);
    else
        emit messageBox(notice.text, notice.caption);
}

void FileReceiver::FinishReceive(const ReceiveResult &result)
{
    if (m_worker) {
        m_worker->disconnect(this);
        m_worker.reset(); // the thread has sent its last signal; this only joins it
    }
    if (m_queue.empty())
        return;
    FileReceiveJob job = m_queue.front();
    m_queue.pop_front();
    m_batchBytes += result.bytes;
    m_batchItems += result.files;
    const qint64 elapsed = m_batchClock.isValid() ? m_batchClock.elapsed() : 0;

    QString text;
    if (result.complete()) {
        job.result = result;
        emit itemStatusChanged(job.packetNumber, job.entry.fileId, ReceiveRowStatus::Received);
        emit jobFinished(job);
        if (job.receiveAll && !m_queue.empty() && m_queue.front().batch == job.batch) {
            scheduleNext();
            return;
        }
        const bool oneFile = !job.isFolder() && m_batchItems <= 1;
        text = FormatReceiveSummary(m_batchBytes, elapsed, m_batchItems, oneFile ? job.entry.name : QString());
    } else {
        // A failure or an interruption ends the whole batch; it is never
        // reported as received.
        dropJob(job, result);
        while (!m_queue.empty() && m_queue.front().batch == job.batch) {
            dropJob(m_queue.front(), cancelledResult());
            m_queue.pop_front();
        }
        text = result.cancelled() ? ReceiveCancelledText() : ReceiveFailedText();
    }
    ReceiveProgress hide;
    hide.percent = -1;
    emit progressChanged(hide);
    m_lastSummary = text;
    emit systemText(text);
    m_batchBytes = 0;
    m_batchItems = 0;
    m_batchClock.invalidate();
    emit batchFinished(result.complete(), result.cancelled());
    scheduleNext();
}

void FileReceiver::dropJob(FileReceiveJob job, const ReceiveResult &result)
{
    job.result = result;
    emit itemStatusChanged(job.packetNumber, job.entry.fileId, ReceiveRowStatus::NotReceived);
    emit jobFinished(job);
}

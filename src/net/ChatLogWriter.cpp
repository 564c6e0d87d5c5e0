#include "net/ChatLogWriter.h"

#include "core/PathUtil.h"
#include "net/ChatLogReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

ChatLogWriter::ChatLogWriter(const QString &baseDirectory)
    : m_path(ChatLogPathIn(baseDirectory))
    , m_clock([] { return QDateTime::currentDateTime(); })
    , m_floor(GetPathDirectory(m_path))
{
}

ChatLogWriter::~ChatLogWriter()
{
    Shutdown();
}

QString ChatLogWriter::ChatLogPathIn(const QString &baseDirectory)
{
    return JoinPath(baseDirectory, QStringLiteral("kwel/kwel.kwl"));
}

void ChatLogWriter::LogChatMessage(const ChatLogEntry &entry)
{
    if (!IsLoggingEnabled())
        return;
    const QDateTime now = m_clock();
    ChatLogEntry e = entry;
    e.text = entry.userName + QLatin1Char(' ') + now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("\n  ")
        + entry.text + QLatin1Char('\n');
    queue(std::move(e), now);
}

void ChatLogWriter::LogSentChatMessage(const ChatLogEntry &entry)
{
    if (!IsLoggingEnabled())
        return;
    queue(entry, m_clock());
}

void ChatLogWriter::queue(ChatLogEntry entry, const QDateTime &at)
{
    std::lock_guard lock(m_mutex);
    m_pending.append(Item { std::move(entry), at.date(), ++m_lastQueued });
    if (m_writeAtOnce)
        handOverLocked();
}

void ChatLogWriter::FlushChatLog()
{
    std::lock_guard lock(m_mutex);
    handOverLocked();
}

void ChatLogWriter::SetChatLogWriteAtOnce(bool on)
{
    std::lock_guard lock(m_mutex);
    m_writeAtOnce = on;
    if (on)
        handOverLocked();
}

bool ChatLogWriter::ChatLogWriteAtOnce() const
{
    std::lock_guard lock(m_mutex);
    return m_writeAtOnce;
}

bool ChatLogWriter::IsChatLogWriterBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

bool ChatLogWriter::WaitUntilIdle(int msecs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(msecs), [this] { return !m_busy; });
}

bool ChatLogWriter::IsPassingOver() const
{
    std::lock_guard lock(m_mutex);
    return m_passingOver;
}

qsizetype ChatLogWriter::PendingCount() const
{
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

quint64 ChatLogWriter::LastQueued() const
{
    std::lock_guard lock(m_mutex);
    return m_lastQueued;
}

void ChatLogWriter::SetWrittenCallback(WrittenCallback callback)
{
    std::lock_guard lock(m_mutex);
    m_written = std::move(callback);
}

void ChatLogWriter::SetPassedOverCallback(PassedOverCallback callback)
{
    std::lock_guard lock(m_mutex);
    m_passedOver = std::move(callback);
}

void ChatLogWriter::SetFreeSpaceFloor(const FreeSpaceFloor &floor)
{
    std::lock_guard lock(m_mutex);
    m_floor = floor;
}

quint64 ChatLogWriter::Mark()
{
    std::lock_guard lock(m_mutex);
    MarkEnd mark { m_lastQueued, -1 };
    if (m_lastQueued == m_lastWritten) {
        // All is written: the file ends there (nothing written yet: as it is).
        const QFileInfo file(m_path);
        mark.end = m_writtenEnd >= 0 ? m_writtenEnd : file.exists() ? file.size() : 0;
    }
    m_marks.append(mark);
    return mark.mark;
}

qint64 ChatLogWriter::TakeMarkEnd(quint64 mark)
{
    std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_marks.size(); ++i) {
        if (m_marks[i].mark == mark)
            return m_marks.takeAt(i).end;
    }
    return -1;
}

bool ChatLogWriter::HasLog() const
{
    {
        std::lock_guard lock(m_mutex);
        if (m_busy || !m_pending.isEmpty())
            return true;
    }
    return QFile(m_path).open(QIODevice::ReadOnly);
}

void ChatLogWriter::handOverLocked()
{
    if (m_pending.isEmpty() || m_holds > 0)
        return;
    m_queue.append(std::move(m_pending));
    m_pending.clear();
    m_busy = true;
    if (!m_thread.joinable())
        m_thread = std::thread([this] { ChatLogWriterThread(); });
    m_wake.notify_one();
}

void ChatLogWriter::Shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        handOverLocked();
        m_stopping = true;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_stopping = false;
    if (!m_pending.isEmpty())
        qWarning("chat log: %lld records could not be written to the log file", qlonglong(m_pending.size()));
}

bool ChatLogWriter::Hold(int msecs)
{
    std::unique_lock lock(m_mutex);
    ++m_holds;
    return m_idle.wait_for(lock, std::chrono::milliseconds(msecs), [this] { return !m_busy; });
}

void ChatLogWriter::Release()
{
    std::lock_guard lock(m_mutex);
    if (m_holds == 0)
        return;
    m_fileReplaced = true;
    // Lengths of the file before it was rewritten say nothing of it now.
    m_writtenEnd = -1;
    for (MarkEnd &mark : m_marks) {
        if (mark.mark <= m_lastWritten)
            mark.end = -1;
    }
    if (--m_holds == 0 && m_writeAtOnce)
        handOverLocked();
}

bool ChatLogWriter::isHeld() const
{
    std::lock_guard lock(m_mutex);
    return m_holds > 0;
}

void ChatLogWriter::ChatLogWriterThread()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.isEmpty() || m_stopping; });
        if (m_queue.isEmpty())
            break;
        const QList<Item> batch = std::move(m_queue);
        m_queue.clear();
        lock.unlock();
        QList<quint32> passedOver;
        QList<qint64> ends;
        const qsizetype written = writeBatch(batch, passedOver, ends);
        lock.lock();
        for (qsizetype i = 0; i < written; ++i) {
            for (MarkEnd &mark : m_marks) {
                if (mark.mark == batch[i].sequence)
                    mark.end = ends[i];
            }
        }
        if (written > 0) {
            m_lastWritten = batch[written - 1].sequence;
            m_writtenEnd = ends[written - 1];
        }
        if (written < batch.size()) {
            // Kept for the next hand-over, ahead of anything queued since.
            m_pending = batch.sliced(written) + m_pending;
        }
        if (written > 0)
            m_passingOver = !passedOver.isEmpty();
        if (m_passedOver && !passedOver.isEmpty())
            m_passedOver(passedOver, m_floor.floorBytes());
        if (m_written && written > 0)
            m_written(batch.at(written - 1).sequence);
        if (m_queue.isEmpty()) {
            m_busy = false;
            m_idle.notify_all();
        }
    }
}

bool ChatLogWriter::prepareFile(QFile &file)
{
    if (!QDir().mkpath(GetPathDirectory(m_path)) || !file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const qint64 size = file.size();
    if (size != m_knownSize && size > 0) {
        // The file is new to this writer: cut off a record that a crash left
        // incomplete (a cut header too), so that appended records stay readable.
        const uchar *map = file.map(0, size);
        const QByteArray copy = map ? QByteArray() : file.readAll();
        const ChatLogReadResult scan
            = ChatLogReader::Scan(map ? QByteArrayView(reinterpret_cast<const char *>(map), size) : copy);
        if (map)
            file.unmap(const_cast<uchar *>(map));
        if (scan.status == ChatLogReadStatus::Truncated) {
            qWarning(
                "chat log: cutting %lld damaged bytes from the end of the log file", qlonglong(size - scan.endOffset));
            if (!file.resize(scan.endOffset))
                return false;
        }
    }
    if (file.size() == 0) {
        if (file.write(ChatLogFormat::encodeHeader()) != ChatLogFormat::kHeaderBytes) {
            file.resize(0);
            return false;
        }
        m_lastDay = QDate(); // a new file opens with a date line
    }
    return file.seek(file.size());
}

QByteArray ChatLogWriter::recordBytes(const Item &item) const
{
    QByteArray bytes;
    if (item.day != m_lastDay) {
        ChatLogEntry dated = item.entry;
        dated.font = ChatFont::standard();
        dated.text = ChatLogFormat::dateLine(item.day);
        bytes = ChatLogFormat::encodeRecord(dated);
    }
    return bytes + ChatLogFormat::encodeRecord(item.entry);
}

qsizetype ChatLogWriter::writeBatch(const QList<Item> &batch, QList<quint32> &passedOver, QList<qint64> &ends)
{
    if (m_fileReplaced.exchange(false)) {
        // The file may be another one now, of any length: scanned again.
        m_knownSize = -1;
        m_lastDay = QDate();
    }
    QFile file(m_path);
    // Without room the file is not even opened (a new one would take its header).
    const bool room = m_floor.Admits(0);
    if (room && !prepareFile(file)) {
        qWarning("chat log: cannot open %s for writing", qPrintable(m_path));
        m_knownSize = -1;
        return 0;
    }
    qsizetype written = 0;
    for (const Item &item : batch) {
        const QByteArray bytes = room ? recordBytes(item) : QByteArray();
        if (!room || !m_floor.Admits(bytes.size())) {
            passedOver.append(item.entry.address);
            ends.append(room ? file.pos() : m_knownSize >= 0 ? m_knownSize : QFileInfo(m_path).size());
            ++written;
            continue;
        }
        const qint64 at = file.pos();
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            qWarning("chat log: writing %s failed", qPrintable(m_path));
            file.resize(at);
            break;
        }
        m_lastDay = item.day;
        ends.append(file.pos());
        ++written;
    }
    if (room)
        m_knownSize = file.size();
    return written;
}

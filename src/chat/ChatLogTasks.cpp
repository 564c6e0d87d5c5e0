#include "chat/ChatLogTasks.h"

#include "chat/ChatLogBrowser.h"
#include "core/Gbk.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"

#include <QFile>

namespace {

// The records are searched a window of this many bytes at a time.
constexpr qint64 kSearchWindow = 4 * 1024 * 1024;

} // namespace

ChatLogTasks::ChatLogTasks(ChatLogWriter *writer, QObject *parent)
    : QObject(parent)
    , m_writer(writer)
{
}

ChatLogTasks::~ChatLogTasks()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool ChatLogTasks::start(std::function<void()> work)
{
    if (m_busy)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_busy = true;
    m_cancel = false;
    m_lastPercent = -1;
    m_thread = std::thread(std::move(work));
    return true;
}

void ChatLogTasks::deliver(std::function<void()> result)
{
    QMetaObject::invokeMethod(
        this,
        [this, result = std::move(result)] {
            if (m_thread.joinable())
                m_thread.join();
            m_busy = false;
            result();
        },
        Qt::QueuedConnection);
}

void ChatLogTasks::report(qint64 done, qint64 total)
{
    const int percent = total > 0 ? int(done * 100 / total) : 100;
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    QMetaObject::invokeMethod(this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
}

std::shared_ptr<const ChatLogIndex> ChatLogTasks::readIndex(const QString &path)
{
    // What the writer still holds belongs in the file first.
    if (m_writer) {
        m_writer->FlushChatLog();
        m_writer->WaitUntilIdle(kWriterWaitMs);
    }
    std::optional<ChatLogIndex> index = ChatLogIndex::BuildFromFile(
        path, [this](qint64 done, qint64 total) { report(done, total); }, &m_cancel);
    if (!index)
        return nullptr;
    return std::make_shared<const ChatLogIndex>(std::move(*index));
}

bool ChatLogTasks::Load(const QString &path)
{
    return start([this, path] {
        std::shared_ptr<const ChatLogIndex> index = readIndex(path);
        deliver([this, index] { emit loaded(index); });
    });
}

bool ChatLogTasks::Search(std::shared_ptr<const ChatLogIndex> index, const QString &path, const QString &text)
{
    if (!index)
        return false;
    return start([this, index, path, text] {
        QList<qint32> found;
        // The text's GBK bytes must stand in a record that holds the text;
        // only such records are decoded. A text GBK cannot hold is looked
        // for in every decoded record.
        const QByteArray needle = Gbk::encode(text);
        const bool byBytes = Gbk::decode(needle) == text;
        QFile file(path);
        QByteArray buffer;
        if (file.open(QIODevice::ReadOnly)) {
            const qsizetype count = index->recordCount();
            for (qsizetype i = 0; i < count && !m_cancel;) {
                // A window of whole records.
                qsizetype j = i + 1;
                while (j < count && index->recordEnd(j) - index->recordOffset(i) <= kSearchWindow)
                    ++j;
                const qint64 begin = index->recordOffset(i);
                const qint64 length = index->recordEnd(j - 1) - begin;
                if (buffer.size() < length)
                    buffer.resize(length);
                if (file.seek(begin) && file.read(buffer.data(), length) == length) {
                    const QByteArrayView window(buffer.constData(), length);
                    for (qsizetype k = i; k < j; ++k) {
                        const QByteArrayView bytes
                            = window.sliced(index->recordOffset(k) - begin, index->recordEnd(k) - index->recordOffset(k));
                        if (byBytes && bytes.indexOf(needle) < 0)
                            continue;
                        const std::optional<ChatLogEntry> entry = ChatLogReader::ParseRecord(bytes);
                        if (entry && entry->text.contains(text))
                            found.append(qint32(k));
                    }
                }
                report(j, count);
                i = j;
            }
        }
        deliver([this, found] { emit searched(found); });
    });
}

bool ChatLogTasks::Remove(const QString &path, ChatLogRewrite::RemovePredicate remove)
{
    return start([this, path, remove = std::move(remove)] {
        ChatLogRewrite::Result result;
        // Nothing may be appended between the fresh read and the rename.
        if (m_writer && !m_writer->Hold(kWriterWaitMs)) {
            result.status = ChatLogRewrite::Status::CannotWrite;
            result.error = QStringLiteral("聊天记录正在写入，请稍后再试。");
        } else {
            result = ChatLogRewrite::RemoveRecords(path, remove);
        }
        if (m_writer)
            m_writer->Release();
        std::shared_ptr<const ChatLogIndex> index = readIndex(path);
        deliver([this, result, index] {
            emit removed(result);
            emit loaded(index);
        });
    });
}

bool ChatLogTasks::CollectHistory(const QString &path, const ChatLogFilter &filter, const QDate &today)
{
    if (m_busy)
        return false;
    // Records queued from now on are not gathered: their messages show
    // below the records, as they arrive.
    const quint64 mark = m_writer ? m_writer->Mark() : 0;
    return start([this, path, filter, today, mark] {
        QList<ChatLogEntry> entries;
        std::shared_ptr<const ChatLogIndex> index = readIndex(path);
        const qint64 end = m_writer ? m_writer->TakeMarkEnd(mark) : -1;
        if (index) {
            std::vector<bool> peers;
            for (const ChatLogPeer &peer : index->peers())
                peers.push_back(filter.MatchesPeer(peer));
            std::vector<qint32> records;
            index->forEachRecordPeer([&](qsizetype i, qint32 peer) {
                if (peers[size_t(peer)] && filter.MatchesDay(index->recordDay(i), today)
                    && (end < 0 || index->recordEnd(i) <= end))
                    records.push_back(qint32(i));
            });
            if (!m_cancel)
                entries = ChatLogBrowser::ReadRecords(path, *index, records);
        }
        deliver([this, entries] { emit historyCollected(entries); });
    });
}

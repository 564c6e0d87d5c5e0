#include "net/ChatLogRewrite.h"

#include "net/ChatLogFormat.h"
#include "net/ChatLogReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 kCopyBlock = 1024 * 1024;

class Copier
{
public:
    Copier(QFile &from, QFile &to, const ChatLogRewrite::WriteHook &hook)
        : m_from(from)
        , m_to(to)
        , m_hook(hook)
    {
    }

    // Copies the bytes [begin, end) of the log.
    bool copy(qint64 begin, qint64 end)
    {
        if (!m_from.seek(begin))
            return fail(m_from.errorString());
        while (begin < end) {
            const QByteArray block = m_from.read(std::min(kCopyBlock, end - begin));
            if (block.isEmpty())
                return fail(m_from.errorString());
            if (!write(block))
                return false;
            begin += block.size();
        }
        return true;
    }
    bool write(const QByteArray &bytes)
    {
        if (m_to.write(bytes) != bytes.size())
            return fail(m_to.errorString());
        m_written += bytes.size();
        if (m_hook)
            m_hook(m_written);
        return true;
    }
    QString error() const { return m_error; }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QFile &m_from;
    QFile &m_to;
    const ChatLogRewrite::WriteHook &m_hook;
    qint64 m_written = 0;
    QString m_error;
};

bool syncFile(int fd)
{
    return fd < 0 || ::fsync(fd) == 0;
}

void syncDirectory(const QString &path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace ChatLogRewrite {

QString TemporaryPath(const QString &logPath)
{
    return logPath + QStringLiteral(".new");
}

Result RemoveRecords(const QString &logPath, const RemovePredicate &remove, const WriteHook &hook)
{
    Result result;
    const std::optional<ChatLogIndex> index = ChatLogIndex::BuildFromFile(logPath);
    QFile from(logPath);
    if (!index || !from.open(QIODevice::ReadOnly)) {
        result.status = Status::CannotRead;
        result.error = from.errorString();
        return result;
    }
    const qsizetype count = index->recordCount();
    std::vector<bool> gone(static_cast<size_t>(count));
    std::vector<bool> peerGone;
    for (const ChatLogPeer &peer : index->peers())
        peerGone.push_back(remove(peer));
    for (qsizetype i = 0; i < count; ++i) {
        gone[size_t(i)] = peerGone[size_t(index->recordPeer(i))];
        result.removed += gone[size_t(i)] ? 1 : 0;
    }
    result.kept = count - result.removed;
    if (result.removed == 0)
        return result; // the file stays as it is

    const QString temporary = TemporaryPath(logPath);
    QFile to(temporary);
    if (!to.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        result.status = Status::CannotWrite;
        result.error = to.errorString();
        return result;
    }
    Copier copier(from, to, hook);
    bool ok = copier.copy(0, std::min<qint64>(ChatLogFormat::kHeaderBytes, index->fileSize()));
    // A removed date line still owed to the records after it: its day.
    QDate owedDay;
    qsizetype run = -1; // the first record of the run of kept records being gathered
    const auto flush = [&](qsizetype end) {
        if (run >= 0 && ok)
            ok = copier.copy(index->recordOffset(run), index->recordEnd(end - 1));
        run = -1;
    };
    for (qsizetype i = 0; i < count && ok; ++i) {
        const bool dateLine = index->isDateLine(i);
        if (gone[size_t(i)]) {
            flush(i);
            if (dateLine)
                owedDay = index->recordDay(i);
            continue;
        }
        if (dateLine) {
            owedDay = QDate();
        } else if (owedDay.isValid()) {
            // The day again, in the name of the record that needs it.
            flush(i);
            if (!from.seek(index->recordOffset(i))) {
                ok = false;
                break;
            }
            const std::optional<ChatLogEntry> entry
                = ChatLogReader::ParseRecord(from.read(index->recordEnd(i) - index->recordOffset(i)));
            if (entry) {
                ChatLogEntry dated = *entry;
                dated.font = ChatFont::standard();
                dated.text = ChatLogFormat::dateLine(owedDay);
                ok = copier.write(ChatLogFormat::encodeRecord(dated));
            }
            owedDay = QDate();
        }
        if (run < 0)
            run = i;
    }
    flush(count);
    // What could not be read stays, as it was.
    if (ok && index->endOffset() < index->fileSize())
        ok = copier.copy(index->endOffset(), index->fileSize());
    ok = ok && to.flush() && syncFile(to.handle());
    const QString error = ok ? QString() : (copier.error().isEmpty() ? to.errorString() : copier.error());
    to.close();
    from.close();
    if (ok) {
        to.setPermissions(QFileInfo(logPath).permissions());
        if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(logPath).constData()) != 0) {
            ok = false;
            result.error = QString::fromLocal8Bit(std::strerror(errno));
        } else {
            syncDirectory(logPath);
        }
    } else {
        result.error = error;
    }
    if (!ok) {
        QFile::remove(temporary);
        result.status = Status::CannotWrite;
        result.removed = 0;
        result.kept = count;
    }
    return result;
}

} // namespace ChatLogRewrite

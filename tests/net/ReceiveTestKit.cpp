#include "ReceiveTestKit.h"

#include "TestEnv.h"
#include "net/FolderHeader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

ScriptedSender::ScriptedSender(Script script)
    : m_script(std::move(script))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(m_listener, 8);
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { serve(); });
}

ScriptedSender::~ScriptedSender()
{
    m_stop = true;
    release();
    m_thread.join();
    ::close(m_listener);
}

std::vector<FileRequest> ScriptedSender::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void ScriptedSender::hold()
{
    std::unique_lock lock(m_mutex);
    m_released.wait_for(lock, std::chrono::seconds(20), [this] { return m_open; });
}

void ScriptedSender::release()
{
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_released.notify_all();
}

void ScriptedSender::serve()
{
    while (!m_stop) {
        pollfd p { m_listener, POLLIN, 0 };
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const timeval timeout { 5, 0 };
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        QByteArray data;
        FileRequest request;
        char chunk[4096];
        ssize_t n;
        while (ParseFileRequest(data, request) == FileRequestStatus::Incomplete
            && (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
            data.append(chunk, n);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        m_script(fd, request);
        // Closing with the rest of the request unread would reset the
        // connection and could drop data in flight.
        ::shutdown(fd, SHUT_WR);
        while (::recv(fd, chunk, sizeof chunk, 0) > 0) {
        }
        ::close(fd);
    }
}

bool SendAll(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251 + seed * 13) & 0xFF);
    return b;
}

QByteArray Header(const QString &name, quint64 size, quint32 attributes, quint32 mtime)
{
    return BuildFolderHeader(name, size, attributes, mtime).value_or(QByteArray());
}

QStringList TreeOf(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        out << QDir(folder).relativeFilePath(info.filePath()) + (info.isDir() && !info.isSymLink() ? u"/" : u"");
    }
    out.sort();
    return out;
}

void Receiving::SetUp()
{
    FileReceiver::setOverwriteAll(false);
    base = TestEnv::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    save = base + QStringLiteral("/save");
    QDir().mkpath(save);
    limits.bufferBytes = 4096;
    limits.connectTimeoutMs = 5000;
    limits.idleTimeoutMs = 10000;
    receiver = std::make_unique<FileReceiver>(net, nullptr, &prompts);
    receiver->setLimits(limits);
    QObject::connect(receiver.get(), &FileReceiver::systemText, [this](const QString &l) { lines << l; });
    QObject::connect(receiver.get(), &FileReceiver::messageBox,
        [this](const QString &text, const QString &caption) { boxes << caption + u'|' + text; });
    QObject::connect(receiver.get(), &FileReceiver::jobFinished, [this](const FileReceiveJob &j) { done.push_back(j); });
    QObject::connect(receiver.get(), &FileReceiver::batchFinished, [this] { ++batches; });
}

FileReceiveJob Receiving::job(
    const ScriptedSender &from, const QString &name, quint64 size, quint32 id, quint32 attributes) const
{
    FileReceiveJob j;
    j.packetNumber = kPacket;
    j.entry.fileId = id;
    j.entry.name = name;
    j.entry.size = size;
    j.entry.attributes = attributes;
    j.entry.mtime = kTime;
    j.targetPath = save + u'/' + name;
    j.peerAddress = INADDR_LOOPBACK;
    j.peerPort = from.port();
    return j;
}

bool Receiving::waitBatches(int n, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (batches < n && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return batches >= n;
}

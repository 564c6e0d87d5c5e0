#include "net/FileServer.h"
#include "TestEnv.h"
#include "net/CFileOfferTable.h"
#include "net/Commands.h"
#include "net/FolderHeader.h"
#include "net/PacketCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint32 kLoopback = 0x7F000001;

// A connected pair over 127.0.0.1: the receiver's end and the accepted end
// that the server takes over.
std::pair<int, int> connectLoopback()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(kLoopback);
    socklen_t len = sizeof addr;
    ::bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len);
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout { 10, 0 };
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const int accepted = ::connect(client, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0
        ? ::accept(listener, nullptr, nullptr)
        : -1;
    ::close(listener);
    return { client, accepted };
}

QByteArray request(quint32 command, const QByteArray &body)
{
    OwnHeader own { QStringLiteral("bob"), QStringLiteral("pc"), 0, 0, QStringLiteral("001122AABBCC"), 0, 0 };
    return PacketCodec::BuildPacket(own, 900, command, body);
}

QByteArray fileRequest(quint32 packet, quint32 id, quint64 offset)
{
    return request(CMD_GET_FILE_DATA,
        QByteArray::number(packet, 16) + ':' + QByteArray::number(id, 16) + ':' + QByteArray::number(offset, 16) + ':');
}

QByteArray folderRequest(quint32 packet, quint32 id)
{
    return request(CMD_GET_FOLDER, QByteArray::number(packet, 16) + ':' + QByteArray::number(id, 16) + ':');
}

struct Served
{
    QByteArray data; // everything the receiver got until the server closed
    TransferState state; // the server's final report
};

// Runs the receiver's side on its own thread while the server's side runs
// events here, until the receiver is done.
void whileServing(const std::function<void()> &receiver)
{
    std::atomic<bool> done { false };
    std::thread thread([&] {
        receiver();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    thread.join();
}

// Reads to the end of the stream (or the receive time-out).
QByteArray readToEnd(int client)
{
    QByteArray data;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(client, buffer, sizeof buffer, 0)) > 0;)
        data.append(buffer, n);
    return data;
}

// Sends the request as a receiver does, in pieces of `piece` bytes, and reads
// the answer to its end.
Served serve(FileServer &server, const QByteArray &req, qsizetype piece = 0)
{
    Served s;
    const auto [client, accepted] = connectLoopback();
    server.Serve(accepted);
    QSignalSpy finished(&server, &FileServer::transferFinished); // not the report of a connection it made room for
    whileServing([&, client = client] {
        for (qsizetype at = 0; at < req.size(); at += piece ? piece : req.size()) {
            ::send(client, req.constData() + at, size_t(qMin(req.size() - at, piece ? piece : req.size())), 0);
            if (piece)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        s.data = readToEnd(client);
        ::close(client);
    });
    if (finished.isEmpty())
        finished.wait(10000);
    if (!finished.isEmpty())
        s.state = finished.takeFirst().at(0).value<TransferState>();
    return s;
}

// True when the server closes the client's connection within ms.
bool closedByServer(int client, int ms)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p { client, POLLIN, 0 };
        if (::poll(&p, 1, 5) > 0) {
            char byte;
            const ssize_t n = ::recv(client, &byte, 1, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN))
                return true;
        }
    } while (timer.elapsed() < ms);
    return false;
}

// Connections from 127.0.0.1 handed to the server; closed at the end.
struct Clients
{
    std::vector<int> fds;
    ~Clients()
    {
        for (int fd : fds)
            ::close(fd);
    }
    int connect(FileServer &server)
    {
        const auto [client, accepted] = connectLoopback();
        server.Serve(accepted);
        fds.push_back(client);
        return client;
    }
};

QByteArray pattern(qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xFF);
    return b;
}

// Reads a folder stream as a receiver does, every header through
// ParseFolderHeader: path -> data for files, path -> "/" for folders. Empty
// when the stream is malformed, ends early or goes on after the top folder.
std::map<QString, QByteArray> receiveFolder(const QByteArray &stream)
{
    std::map<QString, QByteArray> tree;
    QStringList path;
    for (qsizetype pos = 0; pos < stream.size();) {
        const auto length = ParseFolderHeaderLength(QByteArrayView(stream).sliced(pos));
        FolderEntryHeader h;
        if (!length || pos + *length > stream.size()
            || ParseFolderHeader(QByteArrayView(stream).sliced(pos, *length), h) != FolderHeaderStatus::Ok)
            return {};
        pos += *length;
        if (h.kind() == FILE_ATTR_PARENT) {
            if (path.isEmpty())
                return {};
            path.removeLast();
            if (path.isEmpty())
                return pos == stream.size() ? tree : std::map<QString, QByteArray>();
            continue;
        }
        const QString name = (path + QStringList(h.name)).join(QLatin1Char('/'));
        if (h.kind() == FILE_ATTR_FOLDER) {
            path << h.name;
            tree[name] = "/";
        } else if (path.isEmpty() || qsizetype(h.size) > stream.size() - pos) {
            return {};
        } else {
            tree[name] = stream.mid(pos, qsizetype(h.size));
            pos += qsizetype(h.size);
        }
    }
    return {};
}

class FileServing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnv::freshDir(QStringLiteral("serving"));
        limits.requestTimeoutMs = 500;
        limits.progressIntervalMs = 0;
        limits.lingerMs = 2000;
        server.setLimits(limits);
    }

    // An offer of packet 0x55 of the paths to a recipient at the address.
    FileOffer *offer(const QStringList &paths, quint32 recipient = kLoopback, quint32 packet = 0x55)
    {
        FileOffer *o = table.CreateOffer(packet);
        for (const QString &p : paths)
            table.AddEntry(o, p);
        HostPtr peer(new HostRecord);
        peer->key = HostKey(QStringLiteral("bob"), QStringLiteral("pc"), recipient, 2425);
        table.SetRecipients(o, { peer });
        return o;
    }

    QString dir;
    FileSendLimits limits;
    CFileOfferTable table;
    FileServer server { &table };
};

} // namespace

TEST_F(FileServing, SendsAFileFromAnOffset)
{
    const QByteArray content = pattern(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/big.bin"), content));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/other"), "x"));
    FileOffer *o = offer({ dir + QStringLiteral("/big.bin"), dir + QStringLiteral("/other") });
    const quint32 id = o->entries[0].fileId;

    Served s = serve(server, fileRequest(0x55, id, 1000));
    EXPECT_EQ(s.data, content.mid(1000));
    EXPECT_EQ(s.state.status, ServeStatus::Done);
    EXPECT_EQ(s.state.bytesDone, quint64(content.size() - 1000));
    EXPECT_EQ(s.state.bytesTotal, quint64(content.size() - 1000));
    EXPECT_EQ(s.state.port, 2425);
    EXPECT_EQ(o->statusAt(0, 0), TransferReceived);
    EXPECT_EQ(o->statusAt(0, 1), TransferWaiting);

    // A request that arrives a byte at a time is served the same.
    s = serve(server, fileRequest(0x55, id, 1000), 1);
    EXPECT_EQ(s.state.status, ServeStatus::Done);
    EXPECT_EQ(s.data, content.mid(1000));

    // The offset at the very end sends nothing and succeeds.
    s = serve(server, fileRequest(0x55, id, quint64(content.size())));
    EXPECT_TRUE(s.data.isEmpty());
    EXPECT_EQ(s.state.status, ServeStatus::Done);
}

TEST_F(FileServing, StreamsAFolderTree)
{
    const QString top = dir + QStringLiteral("/shared");
    QDir(top).mkpath(QStringLiteral("sub/deeper"));
    QDir(top).mkpath(QStringLiteral("emptydir"));
    ASSERT_TRUE(TestEnv::writeAll(top + QStringLiteral("/a.txt"), "hello"));
    ASSERT_TRUE(TestEnv::writeAll(top + QStringLiteral("/colon:name"), "c"));
    ASSERT_TRUE(TestEnv::writeAll(top + QString::fromUtf8("/中文.txt"), "gbk"));
    ASSERT_TRUE(TestEnv::writeAll(top + QStringLiteral("/empty"), QByteArray()));
    ASSERT_TRUE(TestEnv::writeAll(top + QStringLiteral("/sub/inner.bin"), pattern(2 * 1024 * 1024)));
    ASSERT_TRUE(TestEnv::writeAll(top + QStringLiteral("/sub/deeper/z"), "zz"));
    // Never sent: links out of the folder and into a loop, a FIFO.
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/secret"), "secret"));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/secret"), top + QStringLiteral("/escape")));
    ASSERT_TRUE(QFile::link(top, top + QStringLiteral("/sub/loop")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(top + QStringLiteral("/pipe")).constData(), 0600), 0);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(top + QStringLiteral("/a.txt")).constData(), &st), 0);

    FileOffer *o = offer({ top });
    const Served s = serve(server, folderRequest(0x55, o->entries[0].fileId));
    EXPECT_EQ(s.state.status, ServeStatus::Done);
    const std::map<QString, QByteArray> expected {
        { QStringLiteral("shared"), "/" },
        { QStringLiteral("shared/a.txt"), "hello" },
        { QStringLiteral("shared/colon;name"), "c" }, // stored with ';'
        { QStringLiteral("shared/emptydir"), "/" },
        { QString::fromUtf8("shared/中文.txt"), "gbk" },
        { QStringLiteral("shared/empty"), QByteArray() },
        { QStringLiteral("shared/sub"), "/" },
        { QStringLiteral("shared/sub/inner.bin"), pattern(2 * 1024 * 1024) },
        { QStringLiteral("shared/sub/deeper"), "/" },
        { QStringLiteral("shared/sub/deeper/z"), "zz" },
    };
    EXPECT_TRUE(receiveFolder(s.data) == expected) << s.data.left(300).constData();
    EXPECT_EQ(s.state.filesDone, 6u);
    EXPECT_EQ(s.state.bytesDone, s.state.bytesTotal);
    // Names go out in GBK, with the file's modification time.
    EXPECT_TRUE(s.data.contains(QByteArray(":\xd6\xd0\xce\xc4.txt:3:1:")));
    EXPECT_TRUE(s.data.contains(QByteArray(":a.txt:5:1:14=" + QByteArray::number(qint64(st.st_mtime), 16) + ':')));
}

TEST_F(FileServing, RefusesWhatWasNotOffered)
{
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/f"), "0123456789"));
    QDir(dir).mkpath(QStringLiteral("d"));
    FileOffer *o = offer({ dir + QStringLiteral("/f"), dir + QStringLiteral("/d") });
    const quint32 file = o->entries[0].fileId;
    const quint32 folder = o->entries[1].fileId;
    // The same file offered to another address only.
    FileOffer *elsewhere = offer({ dir + QStringLiteral("/f") }, 0x0A010203, 0x57);

    const std::vector<std::pair<QByteArray, ServeStatus>> cases {
        { fileRequest(0x56, file, 0), ServeStatus::NoOffer },
        { fileRequest(0x57, elsewhere->entries[0].fileId, 0), ServeStatus::NotRecipient },
        { fileRequest(0x55, 999, 0), ServeStatus::NoFile },
        { fileRequest(0x55, file, 11), ServeStatus::BadOffset },
        { fileRequest(0x55, folder, 0), ServeStatus::WrongKind },
        { folderRequest(0x55, file), ServeStatus::WrongKind },
        { request(CMD_SEND_MESSAGE, "55:0:0:"), ServeStatus::BadRequest },
        { request(CMD_GET_FILE_DATA, "55:zz:0:"), ServeStatus::BadRequest },
        { QByteArray("1:2:bob"), ServeStatus::RequestTimeout },
    };
    for (const auto &[req, status] : cases) {
        const Served s = serve(server, req);
        EXPECT_TRUE(s.data.isEmpty()) << req.constData();
        EXPECT_EQ(s.state.status, status) << req.constData();
        EXPECT_FALSE(s.state.started);
    }
    EXPECT_EQ(o->statusAt(0, 0), TransferWaiting);

    // The offered file replaced by a link since it was offered.
    ASSERT_TRUE(QFile::remove(dir + QStringLiteral("/f")));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/d"), dir + QStringLiteral("/f")));
    EXPECT_EQ(serve(server, fileRequest(0x55, file, 0)).state.status, ServeStatus::OpenFailed);
}

TEST_F(FileServing, StopsAStalledSendWhenTheServerGoes)
{
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/big"), QByteArray()));
    ASSERT_TRUE(QFile::resize(dir + QStringLiteral("/big"), 512LL * 1024 * 1024));
    FileOffer *o = offer({ dir + QStringLiteral("/big") });
    const QByteArray req = fileRequest(0x55, o->entries[0].fileId, 0);
    const auto [client, accepted] = connectLoopback();
    auto *stopping = new FileServer(&table);
    QSignalSpy started(stopping, &FileServer::transferProgress);
    stopping->Serve(accepted);
    ::send(client, req.constData(), size_t(req.size()), 0);
    ASSERT_TRUE(started.wait(5000)); // the receiver reads nothing from here on
    EXPECT_EQ(o->statusAt(0, 0), TransferReceiving);
    QElapsedTimer timer;
    timer.start();
    delete stopping;
    EXPECT_LT(timer.elapsed(), 3000);
    ::close(client);
}

TEST_F(FileServing, ClosesConnectionsAboveTheCapOfAnAddressAtOnce)
{
    limits.maxPerAddress = 3;
    server.setLimits(limits);
    Clients clients;
    QSignalSpy finished(&server, &FileServer::transferFinished);
    for (int i = 0; i < 3; ++i)
        clients.connect(server);
    const int fourth = clients.connect(server);
    EXPECT_TRUE(closedByServer(fourth, 200));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<TransferState>().status, ServeStatus::Refused);
    EXPECT_EQ(server.openConnections(), 3);
    EXPECT_FALSE(closedByServer(clients.fds[0], 100));

    // One that goes makes room for the next.
    ::shutdown(clients.fds[0], SHUT_WR);
    EXPECT_TRUE(closedByServer(clients.fds[0], 2000));
    EXPECT_EQ(server.openConnections(), 2);
    EXPECT_FALSE(closedByServer(clients.connect(server), 100));
    EXPECT_EQ(server.openConnections(), 3);
}

TEST_F(FileServing, AtTheTotalCapAConnectionWaitingForItsRequestMakesRoom)
{
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/big"), QByteArray()));
    ASSERT_TRUE(QFile::resize(dir + QStringLiteral("/big"), 512LL * 1024 * 1024));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/small"), "small"));
    FileOffer *o = offer({ dir + QStringLiteral("/big"), dir + QStringLiteral("/small") });
    limits.maxConnections = 2;
    limits.requestTimeoutMs = 10000;
    server.setLimits(limits);
    Clients clients;
    const int first = clients.connect(server);
    const int second = clients.connect(server);
    clients.connect(server);
    EXPECT_TRUE(closedByServer(first, 200)); // the longest waiting
    EXPECT_FALSE(closedByServer(second, 50));

    // A request that has arrived but was not read yet is served, not thrown
    // away: the one behind it makes room.
    const QByteArray small = fileRequest(0x55, o->entries[1].fileId, 0);
    ::send(second, small.constData(), size_t(small.size()), 0);
    const int fourth = clients.connect(server);
    EXPECT_TRUE(closedByServer(clients.fds[2], 200));
    QByteArray got;
    whileServing([&] { got = readToEnd(second); });
    EXPECT_EQ(got, QByteArray("small"));
    EXPECT_FALSE(closedByServer(fourth, 50));

    // Two sends that stall hold both places: nothing waits for its request,
    // so a new connection is closed at once.
    QSignalSpy progress(&server, &FileServer::transferProgress);
    const QByteArray big = fileRequest(0x55, o->entries[0].fileId, 0);
    ::send(fourth, big.constData(), size_t(big.size()), 0);
    ::send(clients.connect(server), big.constData(), size_t(big.size()), 0);
    for (int i = 0; i < 50 && progress.size() < 2; ++i)
        progress.wait(100);
    ASSERT_GE(progress.size(), 2);
    EXPECT_EQ(server.openConnections(), 2);
    EXPECT_TRUE(closedByServer(clients.connect(server), 200));
    EXPECT_EQ(server.openConnections(), 2);
}

TEST_F(FileServing, SendsBeyondTheThreadsWaitTheirTurn)
{
    const QByteArray a = pattern(2 * 1024 * 1024);
    const QByteArray b = pattern(100000);
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/a"), a));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/b"), b));
    FileOffer *o = offer({ dir + QStringLiteral("/a"), dir + QStringLiteral("/b") });
    limits.sendThreads = 1;
    server.setLimits(limits);
    Clients clients;
    const int first = clients.connect(server);
    const int second = clients.connect(server);
    QByteArray gotA, gotB;
    whileServing([&] {
        std::thread other([&] {
            const QByteArray req = fileRequest(0x55, o->entries[1].fileId, 0);
            ::send(second, req.constData(), size_t(req.size()), 0);
            gotB = readToEnd(second);
        });
        const QByteArray req = fileRequest(0x55, o->entries[0].fileId, 0);
        ::send(first, req.constData(), size_t(req.size()), 0);
        gotA = readToEnd(first);
        other.join();
    });
    EXPECT_EQ(gotA, a);
    EXPECT_EQ(gotB, b);
    EXPECT_EQ(server.sendThreads(), 1);
}

TEST(FileSendLimits, CapsShrinkWithTheLimitOfOpenFiles)
{
    const FileSendLimits usual = FileSendLimits::ForOpenFiles(65536);
    EXPECT_EQ(usual.maxConnections, 256);
    EXPECT_EQ(usual.maxPerAddress, 32);
    EXPECT_EQ(FileSendLimits::ForOpenFiles(1024).maxConnections, 256);
    const FileSendLimits low = FileSendLimits::ForOpenFiles(300);
    EXPECT_EQ(low.maxConnections, 22);
    EXPECT_EQ(low.maxPerAddress, 22);
    EXPECT_EQ(FileSendLimits::ForOpenFiles(0).maxConnections, 16);
}

TEST(FileRequest, ParsesRequestsAsTheyArrive)
{
    const QByteArray full = fileRequest(0x55, 0x1f, 0x100000000ULL);
    FileRequest r;
    // Every prefix that stops inside the header or the body fields waits for more.
    const qsizetype fieldsEnd = full.lastIndexOf(':') + 1;
    for (qsizetype n = 0; n < fieldsEnd; ++n)
        ASSERT_EQ(ParseFileRequest(full.left(n), r), FileRequestStatus::Incomplete) << n;
    ASSERT_EQ(ParseFileRequest(full.left(fieldsEnd), r), FileRequestStatus::Ok);
    EXPECT_TRUE(!r.folder && r.packetNumber == 0x55 && r.fileId == 0x1f && r.offset == 0x100000000ULL);
    // The packet ended before its fields; a field that is not a 32-bit number.
    EXPECT_EQ(ParseFileRequest(request(CMD_GET_FOLDER, "7:"), r), FileRequestStatus::Bad);
    EXPECT_EQ(ParseFileRequest(request(CMD_GET_FOLDER, "7:100000000:"), r), FileRequestStatus::Bad);
}

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
#include <map>
#include <netinet/in.h>
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

// Sends the request as a receiver does and reads the answer to its end.
Served serve(FileServer &server, const QByteArray &req)
{
    Served s;
    const auto [client, accepted] = connectLoopback();
    QSignalSpy finished(&server, &FileServer::transferFinished);
    server.Serve(accepted);
    ::send(client, req.constData(), size_t(req.size()), 0);
    char buffer[65536];
    for (ssize_t n; (n = ::recv(client, buffer, sizeof buffer, 0)) > 0;)
        s.data.append(buffer, n);
    ::close(client);
    if (finished.isEmpty())
        finished.wait(10000);
    if (!finished.isEmpty())
        s.state = finished.takeFirst().at(0).value<TransferState>();
    return s;
}

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

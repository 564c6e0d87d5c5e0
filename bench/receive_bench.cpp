// Receiving offered files over loopback TCP from the real file server: one
// 1 GiB file (0x60) and a folder of 10,000 small files (0x62), each against a
// baseline receiver in the same run that only reads the same bytes into the
// same files (a read/write loop with the same buffer size, no partial names,
// times or progress), round by round on one core. Prints the ratios (marks:
// kFileMark and kFolderMark of the baseline's rate).
//
// Environment: KWEL_BENCH_DIR puts the test data and the received copies in
// that folder (e.g. a tmpfs such as /dev/shm) instead of the temporary folder;
// KWEL_BENCH_ONLY=file or =folder runs one of the two; KWEL_BENCH_ROUNDS sets
// the number of rounds (default 4).
#include "net/CFileOfferTable.h"
#include "net/CNetManager.h"
#include "net/FileReceiver.h"
#include "net/FileServer.h"
#include "net/FolderHeader.h"
#include "net/HostRecord.h"
#include "net/PacketCodec.h"

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Bench;

namespace {

constexpr int kDefaultRounds = 4;
// On a tmpfs (as scripts/bench.sh runs it); a disk adds its own swings.
constexpr double kFileMark = 0.75;
constexpr double kFolderMark = 0.8;
constexpr int kBuffer = 65536; // the default RECVTRANSMAX_STR
constexpr quint32 kLoopback = 0x7F000001;

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(kLoopback);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The baseline of a file: read into the buffer, write what came.
qint64 baselineFile(int socket, const QString &dest)
{
    const int out = ::open(QFile::encodeName(dest).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(kBuffer);
    qint64 total = 0;
    for (ssize_t n; (n = ::read(socket, buffer.data(), buffer.size())) > 0; total += n)
        if (!writeAll(out, buffer.data(), n))
            return -1;
    ::close(out);
    return total;
}

// The baseline of a folder: the stream through the same header parser, one
// mkdir per folder and one plain open/write/close per file.
qint64 baselineFolder(int socket, const QString &dest)
{
    std::vector<char> buffer(kBuffer);
    qsizetype begin = 0, end = 0;
    QByteArray path = QFile::encodeName(dest);
    int depth = 0;
    qint64 total = 0;
    auto need = [&](qsizetype n) {
        while (end - begin < n) {
            if (begin > 0) {
                std::memmove(buffer.data(), buffer.data() + begin, size_t(end - begin));
                end -= begin;
                begin = 0;
            }
            const ssize_t got = ::read(socket, buffer.data() + end, buffer.size() - size_t(end));
            if (got <= 0)
                return false;
            end += got;
        }
        return true;
    };
    for (;;) {
        if (!need(kFolderHeaderPrefix))
            return -1;
        const auto length = ParseFolderHeaderLength(QByteArrayView(buffer.data() + begin, kFolderHeaderPrefix));
        FolderEntryHeader h;
        if (!length || !need(*length)
            || ParseFolderHeader(QByteArrayView(buffer.data() + begin, *length), h) != FolderHeaderStatus::Ok)
            return -1;
        begin += *length;
        if (h.kind() == FILE_ATTR_PARENT) {
            if (--depth == 0)
                return total;
            path.truncate(path.lastIndexOf('/'));
        } else if (h.kind() == FILE_ATTR_FOLDER) {
            path += '/' + QFile::encodeName(h.name);
            ::mkdir(path.constData(), 0755);
            ++depth;
        } else {
            const QByteArray file = path + '/' + QFile::encodeName(h.name);
            const int out = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            for (quint64 left = h.size; left > 0;) {
                if (begin == end && !need(1))
                    return -1;
                const qsizetype take = qsizetype(qMin<quint64>(left, quint64(end - begin)));
                if (!writeAll(out, buffer.data() + begin, take))
                    return -1;
                begin += take;
                left -= quint64(take);
                total += take;
            }
            ::close(out);
        }
    }
}

// Runs the baseline on a thread while the server works on this one.
double timeBaseline(quint16 port, const QByteArray &request, bool folder, const QString &dest, qint64 expected)
{
    QElapsedTimer timer;
    timer.start();
    std::atomic<qint64> got { -2 };
    QEventLoop loop;
    std::thread client([&] {
        const int fd = connectTo(port);
        if (fd < 0 || ::write(fd, request.constData(), size_t(request.size())) != request.size()) {
            got = -1;
        } else {
            got = folder ? baselineFolder(fd, dest) : baselineFile(fd, dest);
            ::close(fd);
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The server's connection arrives through the event loop, which sleeps
    // until something happens (never a busy wait that takes a core).
    loop.exec();
    client.join();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (got.load() != expected) {
        std::fprintf(stderr, "baseline received %lld of %lld bytes\n", static_cast<long long>(got.load()),
            static_cast<long long>(expected));
        std::exit(1);
    }
    return seconds;
}

double timeReceiver(FileReceiver &receiver, const FileReceiveJob &job)
{
    bool complete = false;
    QEventLoop loop;
    const auto c = QObject::connect(&receiver, &FileReceiver::batchFinished, [&](bool ok, bool) {
        complete = ok;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    receiver.Receive(job);
    loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QObject::disconnect(c);
    if (!complete) {
        std::fprintf(stderr, "the receive of %s failed\n", qPrintable(job.entry.name));
        std::exit(1);
    }
    return seconds;
}


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PinToOneCpu();
    const QString base = qEnvironmentVariable("KWEL_BENCH_DIR");
    QTemporaryDir dir(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/receive_bench-XXXXXX")
                                     : base + QStringLiteral("/receive_bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    const QString only = qEnvironmentVariable("KWEL_BENCH_ONLY");
    const bool runFile = only.isEmpty() || only == QLatin1String("file");
    const bool runFolder = only.isEmpty() || only == QLatin1String("folder");
    const int rounds = RoundCount(kDefaultRounds);
    std::printf("data in %s\n", qPrintable(dir.path()));
    const Bench::TransferData data = Bench::MakeTransferData(QDir(dir.path()));
    const QString &big = data.big;
    const QString &folder = data.folder;
    const QString dest = dir.filePath(QStringLiteral("dest"));
    QDir().mkpath(dest);

    CFileOfferTable table;
    FileServer server(&table);
    TcpListener listener;
    listener.setHandler([&](qintptr d) { server.Serve(d); });
    listener.listen(QHostAddress(QHostAddress::LocalHost), 0);
    HostPtr peer(new HostRecord);
    peer->key = HostKey(QStringLiteral("bench"), QStringLiteral("bench-pc"), kLoopback, 2425);
    CNetManager net;
    FileReceiver receiver(net, nullptr, nullptr);
    FileReceiveLimits limits;
    limits.bufferBytes = kBuffer;
    receiver.setLimits(limits);

    // An offer is gone once its recipient has everything: one offer per transfer.
    quint32 packet = 4242;
    auto offer = [&](const QString &path) {
        FileOffer *o = table.CreateOffer(++packet);
        table.AddEntry(o, path);
        table.SetRecipients(o, { peer });
        FileReceiveJob job;
        job.packetNumber = packet;
        job.entry.fileId = o->entries[0].fileId;
        job.entry.name = o->entries[0].name();
        job.entry.attributes = o->entries[0].flags;
        job.entry.size = o->entries[0].size;
        job.targetPath = dest + u'/' + job.entry.name;
        job.peerAddress = kLoopback;
        job.peerPort = listener.serverPort();
        const bool isFolder = job.isFolder();
        job.askUser = true;
        const QByteArray request = PacketCodec::BuildPacket(OwnHeader(), packet, isFolder ? CMD_GET_FOLDER : CMD_GET_FILE_DATA,
            FileRequestBody(isFolder, packet, job.entry.fileId));
        return std::make_pair(job, request);
    };
    // Removes what a run wrote and lets the file system settle before the next.
    auto clean = [&] {
        QDir(dest).removeRecursively();
        QDir().mkpath(dest);
        ::sync();
    };

    std::vector<double> fileBase, fileOurs, folderBase, folderOurs;
    const qint64 folderBytes = qint64(kSmallFiles) * kSmallSize;
    for (int round = 0; round < rounds; ++round) {
        // Alternating which one goes first evens out what the file system
        // still does for the previous run.
        for (int turn = 0; turn < 2 && runFile; ++turn) {
            if ((turn + round) % 2 == 0) {
                auto [job, request] = offer(big);
                fileBase.push_back(timeBaseline(listener.serverPort(), request, false, job.targetPath, kBigFile));
            } else {
                fileOurs.push_back(timeReceiver(receiver, offer(big).first));
            }
            clean();
        }
        for (int turn = 0; turn < 2 && runFolder; ++turn) {
            if ((turn + round) % 2 == 0) {
                auto [job, request] = offer(folder);
                folderBase.push_back(timeBaseline(listener.serverPort(), request, true, dest, folderBytes));
            } else {
                folderOurs.push_back(timeReceiver(receiver, offer(folder).first));
            }
            clean();
        }
    }
    const double gib = double(kBigFile) / double(1 << 30);
    const auto rates = [](const std::vector<double> &seconds, double amount) {
        std::vector<double> r;
        for (double s : seconds)
            r.push_back(amount / s);
        return r;
    };
    Report report;
    if (runFile) {
        std::printf("1 GiB file over loopback from the file server, %d rounds\n", rounds);
        report.Show("baseline read/write loop, GiB/s", rates(fileBase, gib), "");
        report.Show("file receiver, GiB/s", rates(fileOurs, gib), "");
        report.Ratio("receiver/baseline", RatiosOf(fileOurs, fileBase, RatioOf::Rates), {Mark::AtLeast, kFileMark});
    }
    if (runFolder) {
        std::printf("folder of %d files of %d bytes, %d rounds\n", kSmallFiles, kSmallSize, rounds);
        report.Show("baseline read/write loop, files/s", rates(folderBase, kSmallFiles), "");
        report.Show("file receiver, files/s", rates(folderOurs, kSmallFiles), "");
        report.Ratio("receiver/baseline", RatiosOf(folderOurs, folderBase, RatioOf::Rates), {Mark::AtLeast, kFolderMark});
    }
    return report.exitCode();
}

// File serving while slow clients hold connections open: a child process
// keeps N connections (default 600, from 100 loopback addresses) that each
// send one byte of a request a second and never finish it, each one the
// server closes opened again a second later. The server runs here with a
// limit of 1024 open files (or the one given). Prints how many connections
// the server held at most, how many it refused or closed to make room, the
// descriptors it used, and the time of a 1 GiB fetch among the slow
// clients against the same fetch without them in the same run, all on one
// core with the slow clients' process: the ratio of each fetch among them to
// the fetch alone of the same number (mark: kAmongMark). The fetches alone
// come first: the slow clients cannot come and go between rounds.
//
//   fileserve_slow_bench [clients [open-file-limit]]
#include "net/CFileOfferTable.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/FileServer.h"
#include "net/HostRecord.h"
#include "net/PacketCodec.h"

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Bench;

namespace {

constexpr int kRounds = 5;
constexpr double kAmongMark = 0.5;
constexpr qint64 kFetch = kBigFile;
constexpr int kAddresses = 100; // 127.0.0.2 ..

sockaddr_in loopback(quint32 address, quint16 port)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

// The child: N slow requests for `seconds`.
int runSlowClients(quint16 port, int count, int seconds, const QByteArray &request)
{
    struct Slot
    {
        int fd = -1;
        qsizetype sent = 0;
    };
    std::vector<Slot> conns(static_cast<size_t>(count));
    auto open = [&](Slot &s, int index) {
        s.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        s.sent = 0;
        if (s.fd < 0)
            return;
        sockaddr_in from = loopback(0x7F000002 + quint32(index % kAddresses), 0);
        ::bind(s.fd, reinterpret_cast<sockaddr *>(&from), sizeof from);
        sockaddr_in to = loopback(0x7F000001, port);
        ::connect(s.fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
    };
    for (int i = 0; i < count; ++i)
        open(conns[size_t(i)], i);
    QElapsedTimer clock;
    clock.start();
    std::vector<pollfd> polls(conns.size());
    while (clock.elapsed() < qint64(seconds) * 1000) {
        ::usleep(1000 * 1000);
        for (size_t i = 0; i < conns.size(); ++i)
            polls[i] = pollfd { conns[i].fd, POLLIN, 0 };
        ::poll(polls.data(), nfds_t(polls.size()), 0);
        for (size_t i = 0; i < conns.size(); ++i) {
            Slot &s = conns[i];
            char byte;
            const bool closed = s.fd < 0
                || ((polls[i].revents & (POLLIN | POLLHUP | POLLERR)) && ::recv(s.fd, &byte, 1, MSG_DONTWAIT) <= 0
                    && errno != EAGAIN);
            if (closed) {
                if (s.fd >= 0)
                    ::close(s.fd);
                open(s, int(i));
            } else if (s.sent + 1 < request.size()
                && ::send(s.fd, request.constData() + s.sent, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) {
                ++s.sent;
            }
        }
    }
    return 0;
}

int openDescriptors()
{
    int n = 0;
    if (DIR *d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n - 3; // ".", ".." and the listing's own
}

// Fetches everything of the request from the server; pumps events meanwhile.
double timeFetch(quint16 port, const QByteArray &request, const std::function<void()> &watch)
{
    QElapsedTimer timer;
    timer.start();
    std::atomic<qint64> got { -2 };
    std::thread client([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to = loopback(0x7F000001, port);
        qint64 total = -1;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0
            && ::write(fd, request.constData(), size_t(request.size())) == request.size()) {
            std::vector<char> buffer(1 << 20);
            total = 0;
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                total += n;
        }
        ::close(fd);
        got = total;
    });
    while (got.load() == -2) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        watch();
    }
    client.join();
    if (got.load() != kFetch) {
        std::fprintf(
            stderr, "fetched %lld of %lld bytes\n", static_cast<long long>(got.load()), static_cast<long long>(kFetch));
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    OwnHeader own;
    own.userName = QStringLiteral("bench");
    own.hostName = QStringLiteral("bench-pc");
    if (argc == 5 && std::strcmp(argv[1], "--slow-clients") == 0)
        return runSlowClients(quint16(std::atoi(argv[2])), std::atoi(argv[3]), std::atoi(argv[4]),
            PacketCodec::BuildPacket(own, 1, CMD_GET_FILE_DATA, QByteArrayLiteral("1:0:0:")));
    const int clients = argc > 1 ? std::atoi(argv[1]) : 600;
    const rlim_t limit = argc > 2 ? rlim_t(std::atol(argv[2])) : 1024;

    QCoreApplication app(argc, argv);
    PinToOneCpu();
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.bin"));
    {
        QFile f(big);
        f.open(QIODevice::WriteOnly);
        f.resize(kFetch);
    }
    rlimit nofile {};
    ::getrlimit(RLIMIT_NOFILE, &nofile);
    nofile.rlim_cur = qMin(limit, nofile.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &nofile);

    CFileOfferTable table;
    HostPtr peer(new HostRecord);
    peer->key = HostKey(QStringLiteral("bench"), QStringLiteral("bench-pc"), 0x7F000001, 2425);
    FileServer server(&table);
    server.setLimits(FileSendLimits::ForOpenFiles(quint64(nofile.rlim_cur)));
    TcpListener listener;
    listener.setHandler([&](qintptr d) { server.Serve(d); });
    listener.setListenBacklogSize(1024);
    listener.listen(QHostAddress(QHostAddress::LocalHost), 0);
    int refused = 0;
    QObject::connect(&server, &FileServer::transferFinished,
        [&](const TransferState &s) { refused += s.status == ServeStatus::Refused; });

    quint32 packet = 4242;
    auto request = [&] {
        FileOffer *offer = table.CreateOffer(++packet);
        const quint32 id = *table.AddEntry(offer, big);
        table.SetRecipients(offer, { peer });
        return PacketCodec::BuildPacket(own, 1, CMD_GET_FILE_DATA,
            QByteArray(QByteArray::number(packet, 16) + ':' + QByteArray::number(id, 16) + ":0:"));
    };
    int heldMax = 0;
    int fdsMax = 0;
    auto watch = [&] {
        heldMax = qMax(heldMax, server.openConnections());
        fdsMax = qMax(fdsMax, openDescriptors());
    };

    std::vector<double> alone, among;
    timeFetch(listener.serverPort(), request(), watch); // the send thread and the file's pages
    for (int round = 0; round < kRounds; ++round)
        alone.push_back(timeFetch(listener.serverPort(), request(), watch));

    const int seconds = 6 + kRounds * 2;
    QProcess slow;
    slow.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--slow-clients"), QString::number(listener.serverPort()), QString::number(clients),
            QString::number(seconds) });
    slow.waitForStarted();
    QElapsedTimer warmUp;
    for (warmUp.start(); warmUp.elapsed() < 3000;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        watch();
    }
    for (int round = 0; round < kRounds; ++round)
        among.push_back(timeFetch(listener.serverPort(), request(), watch));
    while (slow.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        watch();
        slow.waitForFinished(5);
    }

    const double mib = double(kFetch) / double(1 << 20);
    std::printf("%d slow clients from %d addresses, open-file limit %llu, median of %d fetches\n", clients,
        qMin(clients, kAddresses), static_cast<unsigned long long>(nofile.rlim_cur), kRounds);
    std::printf("  connections held at most:     %8d (cap %d, %d per address)\n", heldMax,
        FileSendLimits::ForOpenFiles(quint64(nofile.rlim_cur)).maxConnections,
        FileSendLimits::ForOpenFiles(quint64(nofile.rlim_cur)).maxPerAddress);
    std::printf("  refused or closed for room:   %8d\n", refused);
    std::printf("  descriptors in use at most:   %8d\n", fdsMax);
    std::printf("  refused for want of descriptors: %5llu\n",
        static_cast<unsigned long long>(listener.refusedForDescriptors()));
    std::vector<double> aloneRate, amongRate, ratios;
    for (size_t i = 0; i < alone.size() && i < among.size(); ++i) {
        aloneRate.push_back(mib / alone[i]);
        amongRate.push_back(mib / among[i]);
        ratios.push_back(alone[i] / among[i]);
    }
    Report report;
    report.Show("fetch alone, MiB/s", aloneRate, "");
    report.Show("fetch among slow clients, MiB/s", amongRate, "");
    report.Ratio("among/alone", ratios, {Mark::AtLeast, kAmongMark});
    return report.exitCode();
}

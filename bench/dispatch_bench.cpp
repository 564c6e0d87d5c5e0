// Entry announcements from 2,000 distinct peers arriving in a burst: how many
// packets per second the engine receives, parses and dispatches (adding each
// peer and answering it), against a baseline that only receives the same
// datagrams, round by round on one core (the sender thread too). Loopback
// only: the peers are sockets bound to 127.0.x.y. Mark: the engine keeps at
// least kRateMark of the baseline's rate.
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Bench;

namespace {

constexpr int kPeers = 2000;
constexpr int kRounds = 15;
constexpr int kWindow = 256; // packets in flight before the sender waits
constexpr double kRateMark = 0.8;

struct Peer
{
    int fd = -1;
    QByteArray packet;
};

std::vector<Peer> makePeers()
{
    std::vector<Peer> peers(kPeers);
    for (int i = 0; i < kPeers; ++i) {
        Peer &p = peers[size_t(i)];
        p.fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(0x7F000000u | quint32((i / 250 + 1) << 8) | quint32(i % 250 + 1));
        if (p.fd < 0 || ::bind(p.fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
            std::perror("peer socket");
            std::exit(2);
        }
        OwnHeader h;
        h.userName = QStringLiteral("user%1").arg(i);
        h.hostName = QStringLiteral("PC-%1").arg(i);
        h.macText = QStringLiteral("%1").arg(0x001600000000ULL + quint64(i), 12, 16, QLatin1Char('0')).toUpper();
        p.packet = PacketCodec::BuildTextPacket(h, 1000 + quint32(i), CMD_ANNOUNCE_ENTRY | OPT_FILE_ATTACH,
            QStringLiteral("用户%1").arg(i), QStringLiteral("研发部"));
    }
    return peers;
}

// Sends every peer's announcement once, never more than kWindow ahead of
// what the receiver has counted; returns when all were handled.
double burst(const std::vector<Peer> &peers, quint16 port, std::atomic<int> &handled)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    handled = 0;
    QElapsedTimer timer;
    timer.start();
    std::thread sender([&] {
        for (int i = 0; i < kPeers; ++i) {
            while (i - handled.load() >= kWindow)
                std::this_thread::yield();
            const Peer &p = peers[size_t(i)];
            ::sendto(p.fd, p.packet.constData(), size_t(p.packet.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
        }
    });
    while (handled.load() < kPeers)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    sender.join();
    return seconds;
}

CNetManager::Options options()
{
    CNetManager::Options o;
    o.bindAddress = QHostAddress(QHostAddress::LocalHost);
    o.port = 0;
    o.broadcastTargets = {QHostAddress(QHostAddress::LocalHost)};
    return o;
}


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PinToOneCpu();
    rlimit files{8192, 8192};
    setrlimit(RLIMIT_NOFILE, &files);
    const std::vector<Peer> peers = makePeers();
    QTemporaryDir dir;
    bool listedAll = true;

    const Rounds r = Interleave(
        kRounds,
        [&] {
            // The engine: parse, admit, add the peer, answer it.
            CConfig config(dir.path() + QStringLiteral("/kwel.ini"));
            CNetManager net;
            net.Open(options());
            MessengerEngine messenger(config, net);
            std::atomic<int> handled{0};
            QObject::connect(&net, &CNetManager::datagramReceived, &messenger,
                [&](const QByteArray &, quint32, quint16) { ++handled; });
            const double seconds = burst(peers, net.port(), handled);
            if (messenger.hostTable().Count() != kPeers) {
                std::fprintf(stderr, "engine listed %lld peers, expected %d\n",
                    static_cast<long long>(messenger.hostTable().Count()), kPeers);
                listedAll = false;
            }
            return seconds;
        },
        [&] {
            // Baseline: the same datagrams received and counted.
            CNetManager net;
            net.Open(options());
            std::atomic<int> handled{0};
            QObject::connect(&net, &CNetManager::datagramReceived, [&](const QByteArray &, quint32, quint16) { ++handled; });
            return burst(peers, net.port(), handled);
        },
        RatioOf::Rates);
    std::vector<double> baseRate, engineRate;
    for (size_t i = 0; i < r.measured.size(); ++i) {
        baseRate.push_back(kPeers / r.baseline[i]);
        engineRate.push_back(kPeers / r.measured[i]);
    }
    std::printf("entry burst of %d peers, %d rounds\n", kPeers, kRounds);
    Report report;
    report.Show("baseline (receive only), packets/s", baseRate, "");
    report.Show("engine (parse and dispatch), packets/s", engineRate, "");
    report.Ratio("engine/baseline", r.ratios, {Mark::AtLeast, kRateMark});
    return listedAll ? report.exitCode() : 1;
}

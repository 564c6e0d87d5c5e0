// A host that takes a new login name before each packet (exit, answer-entry
// under the new name, read notice): how much memory the program keeps per
// churned identity with its chat sessions and windows in place, against the
// engine alone, round by round on one core with the two sides in turn first.
// Two kinds of churn: read notices for 300 numbers we did send (each is kept
// for the peer's next window without making one) and 3,000 identities with
// notices for numbers never sent. The memory is what the heap holds after
// the churn less before it. Marks: no window made, at most 4 KB per identity
// with the sessions in place, every notice for a number we sent held and no
// other, in every round. Loopback only.
//
// Environment: KWEL_BENCH_ROUNDS sets the number of rounds (default 5).
#include "BenchCommon.h"
#include "chat/CChatDlg.h"
#include "chat/session/ChatSessions.h"
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kIdentities = 3000;
// Notices for numbers we sent (they once made a window each: 1.7 MB apiece).
constexpr int kShownNotices = 300;
constexpr int kWarmUp = 300;
constexpr int kDefaultRounds = 5;
constexpr double kPerIdentityMark = 4096; // bytes

void pump(int ms)
{
    for (QDeadlineTimer t(ms); !t.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Churns `count` identities at the engine; returns the heap's growth in bytes.
// expect, when set, is told each notice's number before it goes.
double churn(CNetManager &net, int count, int first, const std::function<void(quint16, quint32)> &expect = {})
{
    QUdpSocket attacker;
    attacker.bind(QHostAddress(QHostAddress::LocalHost), 0);
    quint32 number = 1;
    const auto send = [&](const OwnHeader &own, quint32 command, const QByteArray &body) {
        attacker.writeDatagram(PacketCodec::BuildPacket(own, ++number, command, body), QHostAddress::LocalHost, net.port());
    };
    const double before = Bench::heapBytes();
    for (int i = first; i < first + count; ++i) {
        OwnHeader own;
        own.userName = QStringLiteral("churn%1").arg(i - 1);
        own.hostName = QStringLiteral("attacker");
        send(own, CMD_ANNOUNCE_EXIT, {});
        own.userName = QStringLiteral("churn%1").arg(i);
        send(own, CMD_ANSWER_ENTRY, own.userName.toUtf8());
        if (expect)
            expect(attacker.localPort(), 0x7A000000u + quint32(i));
        send(own, CMD_MESSAGE_OPENED, QByteArray::number(0x7A000000u + quint32(i)));
        if (i % 50 == 0)
            pump(5);
    }
    pump(300);
    return Bench::heapBytes() - before;
}

struct Program
{
    explicit Program(bool withSessions)
        : config(dir.filePath(QStringLiteral("kwel.ini")))
    {
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.listenTcp = false;
        o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
        net.Open(o);
        engine = std::make_unique<MessengerEngine>(config, net);
        if (!withSessions)
            return;
        ChatServices services;
        services.engine = engine.get();
        services.dataFolder = dir.filePath(QStringLiteral("kwel"));
        sessions = std::make_unique<ChatSessions>(services);
        sessions->setViewFactory([this](ChatSession &session) {
            auto *view = new CChatDlg;
            view->Attach(&session);
            windows.append(view);
            return view;
        });
    }
    ~Program()
    {
        for (const QPointer<CChatDlg> &w : std::as_const(windows))
            delete w.data();
    }

    QTemporaryDir dir;
    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<ChatSessions> sessions;
    QList<QPointer<CChatDlg>> windows;
};

// What one side of a round kept.
struct Kept
{
    std::vector<double> perIdentity; // bytes
    std::vector<double> windows;
    std::vector<double> held; // read notices kept for later windows
};

enum class Notices { NeverSent, WeSent };
enum class Sessions { None, InPlace };

// One run: a fresh program churned past its warm-up; the figures go to kept.
double runOnce(Sessions sessions, Notices notices, int count, Kept &kept)
{
    Program program(sessions == Sessions::InPlace);
    std::function<void(quint16, quint32)> expect;
    if (notices == Notices::WeSent && program.sessions) {
        expect = [&](quint16 port, quint32 number) {
            HostRecord peer;
            peer.key = HostKey(QString(), QString(), 0x7F000001, port);
            program.sessions->ExpectReadNotice(peer, number);
        };
    }
    churn(program.net, kWarmUp, 1, expect);
    const double perIdentity = churn(program.net, count, kWarmUp + 1, expect) / count;
    kept.perIdentity.push_back(perIdentity);
    kept.windows.push_back(double(program.windows.size()));
    kept.held.push_back(program.sessions ? double(program.sessions->heldReadNotices().count()) : 0);
    return perIdentity;
}

struct Comparison
{
    Kept program, engine;
    Bench::Mark heldMark;
};

Comparison compare(int rounds, Notices notices, int count)
{
    Comparison c;
    c.heldMark = notices == Notices::WeSent ? Bench::Mark { Bench::Mark::AtLeast, double(kWarmUp + count), true }
                                            : Bench::Mark { Bench::Mark::AtMost, 0, true };
    Bench::Interleave(
        rounds, [&] { return runOnce(Sessions::InPlace, notices, count, c.program); },
        [&] { return runOnce(Sessions::None, notices, count, c.engine); }, Bench::RatioOf::Times);
    return c;
}

void report(Bench::Report &report, const char *what, const Comparison &c)
{
    using namespace Bench;
    std::vector<double> extra;
    for (size_t i = 0; i < c.program.perIdentity.size(); ++i)
        extra.push_back(c.program.perIdentity[i] - c.engine.perIdentity[i]);
    const auto label = [what](const char *figure) { return QByteArray(what).append(": ").append(figure); };
    report.Figure(label("with chat sessions, bytes per identity").constData(), c.program.perIdentity, " B",
        { Mark::AtMost, kPerIdentityMark, true });
    report.Show(label("engine alone, bytes per identity").constData(), c.engine.perIdentity, " B");
    report.Show(label("extra for sessions and windows").constData(), extra, " B");
    report.Figure(label("windows made").constData(), c.program.windows, "", { Mark::AtMost, 0, true });
    // Every notice for a number we sent is held (so the figure counts them
    // all), none of the others.
    report.Figure(label("notices held for later windows").constData(), c.program.held, "", c.heldMark);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Bench::PinToOneCpu();
    const int rounds = Bench::RoundCount(kDefaultRounds);
    std::printf("churned identities after a warm-up of %d: %d with notices for numbers we sent, %d with notices for "
                "numbers never sent; %d rounds\n",
        kWarmUp, kShownNotices, kIdentities, rounds);
    const Comparison sent = compare(rounds, Notices::WeSent, kShownNotices);
    const Comparison neverSent = compare(rounds, Notices::NeverSent, kIdentities);
    Bench::Report r;
    report(r, "notices for numbers we sent", sent);
    report(r, "notices for numbers never sent", neverSent);
    return r.exitCode();
}

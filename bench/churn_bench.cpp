// A host that takes a new login name before each packet (exit, answer-entry
// under the new name, read notice for a number never sent): how much memory
// the program keeps per churned identity, with its chat sessions and windows
// in place, against the engine alone in the same run, and against the same
// churn with notices for numbers we did send: each is kept for the peer's
// next window without making one. Loopback only.
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

void pump(int ms)
{
    for (QDeadlineTimer t(ms); !t.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Churns `count` identities at the engine; returns the resident growth in KB.
// expect, when set, is told each notice's number before it goes.
long churn(CNetManager &net, int count, int first, const std::function<void(quint16, quint32)> &expect = {})
{
    QUdpSocket attacker;
    attacker.bind(QHostAddress(QHostAddress::LocalHost), 0);
    quint32 number = 1;
    const auto send = [&](const OwnHeader &own, quint32 command, const QByteArray &body) {
        attacker.writeDatagram(PacketCodec::BuildPacket(own, ++number, command, body), QHostAddress::LocalHost, net.port());
    };
    const long before = Bench::residentKb();
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
    return Bench::residentKb() - before;
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    long growth[3] = {};
    int windows[3] = {};
    qsizetype held = 0;
    for (int pass = 0; pass < 3; ++pass) {
        Program program(pass > 0);
        std::function<void(quint16, quint32)> expect;
        if (pass == 2) {
            expect = [&](quint16 port, quint32 number) {
                HostRecord peer;
                peer.key = HostKey(QString(), QString(), 0x7F000001, port);
                program.sessions->ExpectReadNotice(peer, number);
            };
        }
        churn(program.net, 300, 1, expect); // warm up
        growth[pass] = churn(program.net, pass == 2 ? kShownNotices : kIdentities, 301, expect);
        windows[pass] = int(program.windows.size());
        if (pass == 2)
            held = program.sessions->heldReadNotices().count();
    }
    const auto perIdentity = [](long kb, int count = kIdentities) { return double(kb) * 1024 / count; };
    std::printf("churned identities: %d\n", kIdentities);
    std::printf("engine alone:                  %+9.0f bytes per identity (%+ld KB)\n", perIdentity(growth[0]),
        growth[0]);
    std::printf("with chat sessions:            %+9.0f bytes per identity (%+ld KB), %d windows made\n",
        perIdentity(growth[1]), growth[1], windows[1]);
    std::printf("notices for numbers we sent:   %+9.0f bytes per identity (%+ld KB for %d), %d windows made, %lld held\n",
        perIdentity(growth[2], kShownNotices), growth[2], kShownNotices, windows[2], static_cast<long long>(held));
    std::printf("extra for sessions and windows: %+.0f bytes per identity\n", perIdentity(growth[1] - growth[0]));
    return 0;
}

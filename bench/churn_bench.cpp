// A host that takes a new login name before each packet (exit, answer-entry
// under the new name, read notice for a number never sent): how much memory
// the program keeps per churned identity, with its chat sessions and windows
// in place, against the engine alone in the same run. Loopback only.
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
#include <memory>

namespace {

constexpr int kIdentities = 3000;

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void pump(int ms)
{
    for (QDeadlineTimer t(ms); !t.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Churns `count` identities at the engine; returns the resident growth in KB.
long churn(MessengerEngine &engine, CNetManager &net, int count, int first)
{
    QUdpSocket attacker;
    attacker.bind(QHostAddress(QHostAddress::LocalHost), 0);
    quint32 number = 1;
    const auto send = [&](const OwnHeader &own, quint32 command, const QByteArray &body) {
        attacker.writeDatagram(PacketCodec::BuildPacket(own, ++number, command, body), QHostAddress::LocalHost, net.port());
    };
    const long before = residentKb();
    for (int i = first; i < first + count; ++i) {
        OwnHeader own;
        own.userName = QStringLiteral("churn%1").arg(i - 1);
        own.hostName = QStringLiteral("attacker");
        send(own, CMD_ANNOUNCE_EXIT, {});
        own.userName = QStringLiteral("churn%1").arg(i);
        send(own, CMD_ANSWER_ENTRY, own.userName.toUtf8());
        send(own, CMD_MESSAGE_OPENED, QByteArray::number(0x7A000000u + quint32(i)));
        if (i % 50 == 0)
            pump(5);
    }
    pump(300);
    Q_UNUSED(engine)
    return residentKb() - before;
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
    long growth[2] = {};
    int windows = 0;
    for (const bool withSessions : { false, true }) {
        Program program(withSessions);
        churn(*program.engine, program.net, 300, 1); // warm up
        growth[withSessions] = churn(*program.engine, program.net, kIdentities, 301);
        windows = int(program.windows.size());
    }
    const double base = double(growth[0]) * 1024 / kIdentities;
    const double full = double(growth[1]) * 1024 / kIdentities;
    std::printf("churned identities: %d\n", kIdentities);
    std::printf("engine alone:        %+.0f bytes per identity (%+ld KB)\n", base, growth[0]);
    std::printf("with chat sessions:  %+.0f bytes per identity (%+ld KB), %d windows made\n", full, growth[1], windows);
    std::printf("extra for sessions and windows: %+.0f bytes per identity\n", full - base);
    return 0;
}

#include "LoopbackChat.h"

#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "net/ChatLogReader.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/PictureStore.h"
#include "../net/LoopbackNet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace ChatTest {

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

Side::Side(const QString &name)
    : dir(TestEnv::freshDir(name))
    , config(dir + QStringLiteral("/kwel.ini"))
{
    const char mac = char('0' + (name.isEmpty() ? 0 : name.at(0).unicode() % 10));
    // The TCP listener serves the files this side offers.
    EXPECT_TRUE(TestNet::openLoopback(net, QStringLiteral("00163E0A0B0") + QLatin1Char(mac), true));
    config.NICKNAMESTR_STR = name;
    config.RETRYMSEC_STR = 200;
    engine = std::make_unique<MessengerEngine>(config, net);
    engine->setIdentity(name, name + QStringLiteral("-pc"));
    keys = std::make_unique<KeyExchange>(*engine);
    log = std::make_unique<ChatLogWriter>(dir);
    sessions = std::make_unique<ChatSessions>(services());
    sessions->setViewFactory([this](ChatSession &session) {
        auto *view = new CChatDlg;
        view->Attach(&session);
        windows.append(view);
        return view;
    });
    QObject::connect(sessions.get(), &ChatSessions::event, [this](const QString &line) { events.append(line); });
    QObject::connect(sessions.get(), &ChatSessions::messageShown, [this](ChatSession *, bool) { ++shown; });
    QObject::connect(engine.get(), &MessengerEngine::messageReceived, engine.get(),
        [this](const PacketRecord &packet, HostRecord *) { received.append(packet); });
    QObject::connect(engine.get(), &MessengerEngine::packetDispatched, engine.get(),
        [this](const PacketRecord &packet, HostRecord *) { dispatched.append(packet.commandWord); });
}

Side::~Side()
{
    for (const QPointer<CChatDlg> &view : std::as_const(windows))
        delete view.data();
    sessions.reset();
    pictures.reset();
    log->Shutdown();
}

void Side::meet(Side &other)
{
    engine->AnswerEntry(HostKey(QString(), QString(), 0x7F000001, other.net.port()), CMD_ANNOUNCE_ENTRY);
    ASSERT_TRUE(waitFor([&] { return peerOf(other) && other.peerOf(*this); }));
    window = dynamic_cast<CChatDlg *>(sessions->OpenView(peerOf(other), ChatSessions::OpenMode::Hidden));
    ASSERT_NE(window, nullptr);
}

void Side::TakePictures()
{
    const PictureStore store(dir + QStringLiteral("/kwel"));
    store.CreateFolders();
    pictures = std::make_unique<IncomingPictures>(config, store);
    pictures->AttachTo(*engine);
    sessions->AttachPictures(*pictures);
}

ChatServices Side::services() const
{
    ChatServices services;
    services.engine = engine.get();
    services.keys = keys.get();
    services.chatLog = log.get();
    services.dataFolder = dir + QStringLiteral("/kwel");
    return services;
}

HostRecord *Side::peerOf(const Side &other) const
{
    return engine->FindHost(0x7F000001, other.net.port());
}

QString Side::historyText() const
{
    return window ? window->history()->toPlainText() : QString();
}

QStringList Side::eventsOf(const QString &kind) const
{
    QStringList out;
    for (const QString &e : events) {
        if (e.startsWith(kind + QLatin1Char(' ')))
            out.append(e);
    }
    return out;
}

QList<ChatLogEntry> Side::logged()
{
    log->FlushChatLog();
    log->WaitUntilIdle(5000);
    const auto result = ChatLogReader::ReadFile(log->GetChatLogPath());
    QList<ChatLogEntry> records = result ? result->records : QList<ChatLogEntry>();
    records.removeIf([](const ChatLogEntry &e) { return e.text.startsWith(QStringLiteral("日期:")); });
    return records;
}

} // namespace ChatTest

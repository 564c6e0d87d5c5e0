#include "app/CMessengerApp.h"

#include "app/SingleInstance.h"
#include "app/TestDriver.h"
#include "chat/faces/FaceLibraryCommands.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/MultiSendSession.h"
#include "core/CConfig.h"
#include "core/FileUtil.h"
#include "core/Prompter.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "net/CNetManager.h"
#include "net/ChatLogWriter.h"
#include "net/EngineEventLog.h"
#include "net/IncomingPictures.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"
#include "net/OwnPictureServer.h"
#include "net/PeerAdmission.h"
#include "net/ShareService.h"
#include "platform/MessageSound.h"
#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

CMessengerApp::CMessengerApp(QApplication &app)
    : QObject(nullptr)
    , m_app(app)
{
}

CMessengerApp::~CMessengerApp()
{
    shutdown();
}

std::optional<int> CMessengerApp::InitInstance()
{
    m_options = ParseCommandLine(m_app.arguments());

    // The configuration names the work folder under which the data folder lies.
    m_config = std::make_unique<CConfig>();
    m_config->Load();
    const QString base = UseWorkDirectory(m_config->WorkDir);
    m_dataFolder = base + QStringLiteral("/kwel");
    QDir().mkpath(m_dataFolder);

    m_instance = std::make_unique<SingleInstance>(base, m_dataFolder);
    if (!m_instance->acquire()) {
        Prompter::current().messageBox(nullptr, QStringLiteral("Kwel程序已在运行,只能运行一个实例!"),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        return -1;
    }

    CNetManager::Options net;
    net.port = quint16(ChoosePort(m_options.commandLinePort, m_config->KwelPortNo));
    m_net = std::make_unique<CNetManager>();
    if (!m_net->Open(net)) {
        Prompter::current().messageBox(nullptr, m_net->errorText(), QStringLiteral("消息"), Prompter::Buttons::Ok,
            Prompter::Icon::Critical);
        return 1;
    }
    m_engine = std::make_unique<MessengerEngine>(*m_config, *m_net);
    EngineEventLog::fromEnvironment(*m_engine, m_engine.get());
    // Every packet passes the user's policy towards its sender first.
    m_admission = std::make_unique<PeerAdmission>(*m_engine);
    // The own key pairs before the first announcement, which tells the peers
    // that we decrypt.
    m_keys = new KeyExchange(*m_engine, m_engine.get());
    m_keys->Start(m_dataFolder + QStringLiteral("/ownkeys.pem"));
    PictureStore::SetProgramFolder(m_dataFolder);
    const PictureStore pictureStore(m_dataFolder);
    pictureStore.CreateFolders();
    m_pictures = std::make_unique<IncomingPictures>(*m_config, pictureStore);
    m_pictures->AttachTo(*m_engine);
    m_ownPictures = std::make_unique<OwnPictureServer>(*m_config, pictureStore);
    m_ownPictures->AttachTo(*m_engine);

    m_chatLog = std::make_unique<ChatLogWriter>(base);
    m_chatLog->SetLoggingSwitch([config = m_config.get()] { return config->LOGCHECK_STR != 0; });
    m_engine->receipts().SetChatLog(m_chatLog.get());
    wireChatWindows();
    wireShares();

    // The panel hides into the tray and dialogs come and go: the program
    // ends through the tray menu or a termination signal only.
    m_app.setQuitOnLastWindowClosed(false);
    m_panel = std::make_unique<CMainPanelDlg>(*m_engine);
    connect(m_instance.get(), &SingleInstance::activationRequested, m_panel.get(), &CMainPanelDlg::bringForward);
    // exit(), not quit(): quit() first asks every window to close, and the
    // panel answers a close by going to the tray.
    connect(m_panel.get(), &CMainPanelDlg::quitRequested, this, [] { QApplication::exit(0); }, Qt::QueuedConnection);
    // A socket that could not be opened again leaves the program deaf to
    // its LAN until it can: the user is told, and told again when it hears.
    connect(m_net.get(), &CNetManager::listeningChanged, this, [this](bool listening, const QString &error) {
        const QString text = listening
            ? QStringLiteral("已重新打开端口 %1，可以收到消息了。").arg(m_net->port())
            : QStringLiteral("无法打开端口 %1，收不到局域网的消息，正在重试。(%2)").arg(m_net->port()).arg(error);
        if (m_panel)
            m_panel->ShowTipNotice(TipNotice{ -1, QStringLiteral("网络"), text, QString() });
    });
    wireChatPanel();
    wireContactPage();
    wireSharePanel();
    connect(m_panel.get(), &CMainPanelDlg::webAccessPageReady, this, [this] { RefreshChatWebPanes(); });
    m_panel->messengerPage()->contacts().AttachPictures(*m_pictures);
    m_panel->InitPanel(m_options.autoStart);
    m_engine->AnnounceStart();
    watchTerminationSignals();
    return std::nullopt;
}

void CMessengerApp::watchTerminationSignals()
{
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        QApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

int CMessengerApp::Run()
{
    if (const auto early = InitInstance())
        return *early;
    const int code = m_app.exec();
    shutdown();
    return code;
}

int CMessengerApp::SetWindowsAlpha(int kind, int alpha)
{
    return WindowAlpha::ApplyToKind(kind, alpha);
}

void CMessengerApp::shutdown()
{
    if (m_shutDown || !m_engine)
        return;
    m_shutDown = true;
    m_engine->AnnounceExit();
    closeChatWindows();
    closeShares();
    MessageSound::setCurrent(nullptr);
    // Everything the windows logged is on disk before the program ends.
    m_chatLog->Shutdown();
    // Their receipts go now (the records are written).
    m_engine->receipts().SetChatLog(nullptr);
    if (m_panel) {
        m_panel->StoreWindowPlacement();
        m_config->Save(CFG_GENERAL | CFG_WINDOW);
    }
    m_panel.reset();
    m_ownPictures.reset();
    m_pictures.reset();
    m_admission.reset();
    m_engine.reset();
    m_net->Close();
}

// The application's side of shared files and the transfer monitor: the
// engine's share service, the dialogs the peers' answers open (without a
// loop of their own, so the dispatcher is never entered again while one is
// open), the all-shared-files window, the share settings and the monitor.
#include "app/CMessengerApp.h"

#include "chat/CChatDlg.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/ChatShares.h"
#include "chat/shares/CAllSharedFilesDlg.h"
#include "chat/shares/CShareSettingsDlg.h"
#include "chat/shares/CTransferMonitorDlg.h"
#include "chat/shares/ShareAnswerDialogs.h"
#include "core/CConfig.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/UserPickEntry.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PeerAdmission.h"
#include "net/ShareService.h"
#include "platform/WindowAlpha.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// 10 % of the desktop's width from its left, keeping the top.
void placeAtTenth(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().left() + screen->availableGeometry().width() / 10, window->y());
}

} // namespace

void CMessengerApp::wireShares()
{
    m_shareService = std::make_unique<ShareService>(*m_engine);
    // The sender's user group may let it see the shares without the password;
    // the admission answers its list requests at once from the same reply.
    m_shareService->setRightsQuery(
        [this](const PacketRecord &packet) { return m_admission->SharesWithoutPassword(packet); });
    m_admission->setShareListSource([this] { return ShareService::BuildReply(*m_config); });
    connect(m_shareService.get(), &ShareService::event, this, &CMessengerApp::writeEvent);
    connect(m_shareService.get(), &ShareService::downloadApproved, this,
        [this](HostRecord *peer, const QStringList &paths) {
            if (ChatSession *session = m_chats->Open(peer))
                session->shares().ServeShareDownload(paths);
        });
    connect(m_shareService.get(), &ShareService::shareListArrived, this, &CMessengerApp::onShareAnswer);
    connect(m_shareService.get(), &ShareService::allSharesArrived, this, [this](HostRecord *peer, const QString &text) {
        if (m_allShares)
            m_allShares->ApplyShareList(text, ChatShares::PeerTitle(*peer), peer->key.address);
    });
}

void CMessengerApp::wireSharePanel()
{
    CMessengerDlg *page = m_panel->messengerPage();
    connect(page, &CMessengerDlg::allSharedFilesRequested, this, &CMessengerApp::OpenAllSharedFiles);
    connect(page, &CMessengerDlg::shareSettingsRequested, this, &CMessengerApp::OpenShareSettings);
    connect(page, &CMessengerDlg::transferMonitorRequested, this, &CMessengerApp::ShowTransferMonitor);
}

void CMessengerApp::onShareAnswer(HostRecord *peer, const QString &text)
{
    if (ChatSession *session = m_chats->Find(*peer)) {
        const ChatShares::Answer answer = session->shares().TakeAnswer(text);
        OpenShareAnswerDialog(*session, answer, text, OpenChatWindow(peer, 0, int(ChatSessions::OpenMode::LookUp), 0));
    }
}

void CMessengerApp::OpenAllSharedFiles()
{
    if (m_allShares) {
        m_allShares->raise();
        m_allShares->activateWindow();
        return;
    }
    m_allShares = new CAllSharedFilesDlg;
    m_allShares->setAttribute(Qt::WA_DeleteOnClose);
    WindowAlpha::SetKind(m_allShares, WindowAlpha::OtherWindows);
    if (m_config->OtherOpacity != 0)
        WindowAlpha::SetLayeredAlpha(m_allShares, WindowAlpha::FromPercent(m_config->OtherOpacity));
    placeAtTenth(m_allShares);
    connect(
        m_allShares, &CAllSharedFilesDlg::downloadRequested, this, [this](quint32 address, const QByteArray &request) {
            const QList<HostRecord *> hosts = HostsInTableOrder(m_engine->hostTable());
            for (HostRecord *host : hosts) {
                if (host->key.address == address) {
                    m_engine->net().SendToHost(host->key, CMD_SHARE_DOWNLOAD, request);
                    return;
                }
            }
        });
    m_allShares->show();
    // Every peer that speaks the extensions is asked; those that share
    // without a password answer while the window is open.
    const QList<HostRecord *> hosts = HostsInTableOrder(m_engine->hostTable());
    for (HostRecord *host : hosts) {
        if (host->extension != 0)
            m_engine->net().SendToHost(host->key, CMD_GET_ALL_SHARES, {});
    }
}

void CMessengerApp::OpenShareSettings()
{
    if (m_shareSettings) {
        m_shareSettings->raise();
        m_shareSettings->activateWindow();
        return;
    }
    m_shareSettings = new CShareSettingsDlg(m_config.get());
    m_shareSettings->setAttribute(Qt::WA_DeleteOnClose);
    m_shareSettings->open();
}

void CMessengerApp::ShowTransferMonitor()
{
    if (!m_monitor)
        m_monitor = new CTransferMonitorDlg(m_engine->fileOffers(), &m_engine->fileServer(), m_config.get());
    m_monitor->ShowRestored();
}

CAllSharedFilesDlg *CMessengerApp::allSharedFiles() const
{
    return m_allShares.data();
}

CTransferMonitorDlg *CMessengerApp::transferMonitor() const
{
    return m_monitor.data();
}

CShareSettingsDlg *CMessengerApp::shareSettings() const
{
    return m_shareSettings.data();
}

void CMessengerApp::closeShares()
{
    delete m_shareSettings.data();
    delete m_allShares.data();
    delete m_monitor.data();
    m_shareService.reset();
}

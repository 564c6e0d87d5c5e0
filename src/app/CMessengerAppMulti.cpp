// The application's side of the multi-user window and the chat-log viewer:
// the one multi-send session (made with the chat sessions, so a send goes on
// while its window is hidden), its window made on first use and reused, and
// the viewer, one at a time.
#include "app/CMessengerApp.h"

#include "chat/CChatLogDlg.h"
#include "chat/CMultiChatDlg.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/MultiSendSession.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "chat/ChatLogBrowser.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/PanelTrayMenu.h"
#include "net/CNetManager.h"
#include "net/ChatLogWriter.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"

#include <QItemSelectionModel>

void CMessengerApp::wireMultiSend(const ChatServices &services)
{
    m_multiSend = std::make_unique<MultiSendSession>(*m_chats, services);
    connect(m_multiSend.get(), &MultiSendSession::event, this, &CMessengerApp::writeEvent);
}

void CMessengerApp::wireMultiPanel()
{
    // "群发", the contact list's "多人群发" and the tray's "多人群发(&M)".
    connect(m_panel->messengerPage(), &CMessengerDlg::multiChatRequested, this,
        [this] { OpenMultiChatWindow(0, QString()); });
    // The contact list's "查看全部聊天记录" and the tray's "查看聊天记录(&L)".
    connect(m_panel->messengerPage(), &CMessengerDlg::chatLogViewerRequested, this,
        &CMessengerApp::OpenChatLogViewer);
}

CMultiChatDlg *CMessengerApp::multiChatWindow() const
{
    return m_multiWindow.data();
}

CChatLogDlg *CMessengerApp::chatLogViewer() const
{
    return m_logViewer.data();
}

void CMessengerApp::closeMultiSend()
{
    // The viewer first: it finishes a rewrite of the log before it goes.
    delete m_logViewer.data();
    delete m_multiWindow.data();
    m_multiSend.reset();
}

void CMessengerApp::OpenMultiChatWindow(quint32 groupId, const QString &name, const QStringList &files)
{
    if (!m_multiSend)
        return;
    if (!m_multiWindow) {
        m_multiWindow = new CMultiChatDlg(*m_multiSend);
        connect(m_multiWindow, &CMultiChatDlg::chatRequested, this,
            [this](HostRecord *host) { OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Front), 0); });
        connect(m_multiWindow, &CMultiChatDlg::chatLogViewerRequested, this, &CMessengerApp::OpenChatLogViewer);
        connect(m_multiWindow, &CMultiChatDlg::transferMonitorRequested, this, &CMessengerApp::ShowTransferMonitor);
        connect(m_multiWindow, &CMultiChatDlg::searchRequested, this, [this] {
            if (m_panel)
                m_panel->messengerPage()->OnFind();
        });
        connect(m_multiWindow, &CMultiChatDlg::refreshRequested, this, [this] {
            if (m_panel)
                m_panel->messengerPage()->OnRefreshButton();
        });
    }
    // What the main panel's list has selected, for an opener without group and name.
    PreselectContext context;
    context.hasConfig = m_config != nullptr;
    context.membersShowMode = m_config->MembersShowMode;
    context.ownMac = m_net->ownMac();
    if (CUserListCtrl *list = m_panel ? m_panel->messengerPage()->userList() : nullptr) {
        for (const QModelIndex &index : list->selectionModel()->selectedRows()) {
            if (const HostRecord *host = list->hostAt(index.row()))
                context.panelSelection.append(host);
        }
    }
    // The group chats come with their own subsystem; until then no group has members.
    context.inGroup = [](quint32, const QString &) { return false; };
    m_multiWindow->FillMemberList(true, MultiSendOpener { groupId, name }, context);
    m_multiWindow->AddFiles(files);
    m_multiWindow->ShowAndActivate();
}

void CMessengerApp::OpenChatLogViewer()
{
    if (m_logViewer) {
        m_logViewer->showNormal();
        m_logViewer->raise();
        m_logViewer->activateWindow();
        return;
    }
    const QString path = m_chatLog->GetChatLogPath();
    if (!m_chatLog->HasLog()) {
        if (Prompter::current().askYesNo(nullptr, ChatLogTexts::NoLogQuestion(), QStringLiteral("提示")))
            openSettings();
        return;
    }
    m_logViewer = new CChatLogDlg(m_chatLog.get(), path, m_config.get());
    m_logViewer->setAttribute(Qt::WA_DeleteOnClose);
    m_logViewer->show();
}

void CMessengerApp::openSettings()
{
    if (m_panel)
        m_panel->OnTrayCommand(TrayMenu::Settings);
}

void CMessengerApp::showLaterFeature(const QString &name)
{
    Prompter::current().messageBox(m_multiWindow, name + QStringLiteral("功能将在以后的版本中提供。"),
        QStringLiteral("提示"));
}

// The application's side of the contact list's commands: the chat windows
// that the messenger page asks for by peer key, and the end of a remote
// assistance shown in the peer's chat.
#include "app/CMessengerApp.h"

#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"
#include "chat/CMultiChatDlg.h"
#include "core/CConfig.h"
#include "core/HtmlFile.h"
#include "net/VersionFetch.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessions.h"
#include "mainwnd/CGroupListDlg.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"

void CMessengerApp::wireContactPage()
{
    CMessengerDlg *page = m_panel->messengerPage();
    page->setChatWindowFinder([this](const QString &key) -> QWidget * {
        for (const QPointer<CChatDlg> &window : std::as_const(m_windows))
            if (window && window->peer() && window->peer()->keyText == key)
                return window;
        return nullptr;
    });
    connect(page, &CMessengerDlg::groupSendRequested, this,
        [this](const QString &node, const QStringList &files) { OpenMultiChatWindow(0, node, files); });
    connect(page, &CMessengerDlg::sendFilesRequested, this, [this](HostRecord *host, const QStringList &files) {
        if (CChatDlg *window = OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Front), 0))
            if (window->filePanel())
                window->filePanel()->AddAttachments(files);
    });
    connect(page, &CMessengerDlg::userTitleChanged, this, [this](HostRecord *host) {
        if (CChatDlg *window = OpenChatWindow(host, 0, int(ChatSessions::OpenMode::LookUp), 0))
            window->PeerChanged();
        // The multi-user window's row and the group list show the new name.
        if (m_multiWindow && m_multiWindow->isVisible())
            m_multiWindow->AddMember(host);
        m_panel->groupListPage()->UpdateUserInGroups(host);
    });
    connect(page, &CMessengerDlg::colorSchemeChanged, this, &CMessengerApp::ApplyColorScheme);
    connect(page, &CMessengerDlg::remoteAssistanceEnded, this, [this](HostRecord *host) {
        if (CChatDlg *window = OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Shown), 0))
            window->AppendSystemText(QStringLiteral("退出远程协助."), ChatSession::kNoticeColor);
    });
}

void CMessengerApp::ApplyColorScheme()
{
    // The web-access page's background follows the scheme.
    const bool pageChanged = UpdateHtmlBackgroundColor(GetWebAccessPagePath(), m_config->MainBarLeftTopColor);
    for (const QPointer<CChatDlg> &window : std::as_const(m_windows)) {
        if (!window)
            continue;
        window->OnSettingsChanged();
        if (pageChanged)
            window->NavigateSidePane();
    }
    if (m_multiWindow) {
        m_multiWindow->OnSettingsChanged();
        m_multiWindow->update();
    }
}

// The application's side of the contact list's commands: the chat windows
// that the messenger page asks for by peer key, and the end of a remote
// assistance shown in the peer's chat.
#include "app/CMessengerApp.h"

#include "chat/CChatDlg.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessions.h"
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
    connect(page, &CMessengerDlg::remoteAssistanceEnded, this, [this](HostRecord *host) {
        if (CChatDlg *window = OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Shown), 0))
            window->AppendSystemText(QStringLiteral("退出远程协助."), ChatSession::kNoticeColor);
    });
}

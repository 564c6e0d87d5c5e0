// The application's side of the contact list's commands: the chat windows
// that the messenger page asks for by peer key, and the end of a remote
// assistance shown in the peer's chat window.
#include "app/CMessengerApp.h"

#include "chat/CChatDlg.h"
#include "chat/ChatWindows.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"

void CMessengerApp::wireContactPage()
{
    CMessengerDlg *page = m_panel->messengerPage();
    page->setChatWindowFinder([this](const QString &key) -> QWidget * {
        if (!m_chats)
            return nullptr;
        const QList<CChatDlg *> windows = m_chats->windows();
        for (CChatDlg *window : windows)
            if (window->peer() && window->peer()->keyText == key)
                return window;
        return nullptr;
    });
    connect(page, &CMessengerDlg::remoteAssistanceEnded, this, [this](HostRecord *host) {
        if (CChatDlg *window = OpenChatWindow(host, 0, ChatWindows::Shown, 0))
            window->AppendSystemText(QStringLiteral("退出远程协助."), CChatDlg::kNoticeColor);
    });
}

// The application's side of the chat windows: the chat sessions take what the
// engine reports; the application makes the windows they show themselves in,
// plays the message sound, queues hidden windows with unread messages in the
// main panel and forwards tips and recent contacts.
#include "app/CMessengerApp.h"

#include "app/TestDriver.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/faces/FaceLibraryCommands.h"
#include "chat/session/ChatSessions.h"
#include "core/CConfig.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "net/ChatLogWriter.h"
#include "net/EngineEventLog.h"
#include "net/IncomingPictures.h"
#include "net/MessengerEngine.h"
#include "net/RemoteRequests.h"
#include "platform/AudioDevices.h"
#include "platform/MessageSound.h"
#include "remote/CVoiceSession.h"

#include <QFile>

void CMessengerApp::wireChatWindows()
{
    CMsgRichEdit::SetSendMsgEnter(m_config->SendMsgEnter != 0);
    // "添加到表情库(&T)" of the message edits adds to the user's face library.
    m_faces = std::make_unique<FaceLibraryDialogAdder>(FaceStore(PictureStore(m_dataFolder)));
    FaceLibraryAdder::setCurrent(m_faces.get());
    m_sound = std::make_unique<QtMessageSound>();
    MessageSound::setCurrent(m_sound.get());

    const QString events = qEnvironmentVariable("KWEL_EVENT_LOG");
    if (!events.isEmpty()) {
        m_eventFile = std::make_unique<QFile>(events);
        if (!m_eventFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            m_eventFile.reset();
    }

    ChatServices services;
    services.engine = m_engine.get();
    services.keys = m_keys;
    services.chatLog = m_chatLog.get();
    services.config = m_config.get();
    services.dataFolder = m_dataFolder;
    m_chats = std::make_unique<ChatSessions>(services);
    m_chats->AttachPictures(*m_pictures);
    m_chats->setViewFactory([this](ChatSession &session) { return makeChatWindow(session); });
    // Voice chat: the sound devices of the desktop, and the session a
    // cancelled voice chat stops (it goes with the sessions).
    m_chats->requests().setVoiceDeviceCheck(&HasVoiceDevice);
    new CVoiceSession(m_chats->requests(), m_chats.get());
    m_chats->setKeptQuery([this](const ChatSession &session) {
        CMessengerDlg *page = m_panel ? m_panel->messengerPage() : nullptr;
        auto *window = dynamic_cast<CChatDlg *>(session.view());
        return page && window && page->IsUnreadWindowQueued(window);
    });
    connect(m_chats.get(), &ChatSessions::event, this, &CMessengerApp::writeEvent);
    connect(m_chats.get(), &ChatSessions::messageShown, this, [this](ChatSession *session, bool unread) {
        auto *window = dynamic_cast<CChatDlg *>(session->view());
        if (unread && window && m_panel) // the tray blinks until it is opened
            m_panel->messengerPage()->QueueUnreadWindow(window, 0, session->peer());
    });
    connect(m_chats.get(), &ChatSessions::tipRequested, this,
        [this](const QString &title, const QString &text, int headImage, const QString &link) {
            if (m_panel)
                m_panel->ShowTipNotice(TipNotice{headImage, title, text, link});
        });
    connect(m_chats.get(), &ChatSessions::recentContact, this, [this](HostRecord *host) {
        if (m_panel && host)
            m_panel->messengerPage()->AddRecentContact(host);
    });
    wireMultiSend(services);
    m_driver = TestDriver::fromEnvironment(*this, this);
    if (m_driver)
        connect(m_driver, &TestDriver::commandDone, this, &CMessengerApp::writeEvent);
}

void CMessengerApp::wireChatPanel()
{
    CMessengerDlg *page = m_panel->messengerPage();
    connect(page, &CMessengerDlg::openChatRequested, this,
        [this](HostRecord *host) { OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Front), 0); });
    connect(m_panel.get(), &CMainPanelDlg::chatWindowRequested, this,
        [this](HostRecord *host) { OpenChatWindow(host, 0, int(ChatSessions::OpenMode::Front), 0); });
    connect(m_panel.get(), &CMainPanelDlg::unreadOpenRequested, this, &CMessengerApp::onUnreadOpen);
    wireMultiPanel();
}

void CMessengerApp::onUnreadOpen()
{
    CMessengerDlg *page = m_panel ? m_panel->messengerPage() : nullptr;
    auto *window = page ? qobject_cast<CChatDlg *>(page->FrontUnreadWindow()) : nullptr;
    if (!window)
        return;
    page->UnqueueUnreadWindow(window);
    window->BringToFront(false);
    window->SendReadNotice();
}

ChatSessionView *CMessengerApp::makeChatWindow(ChatSession &session)
{
    auto *window = new CChatDlg;
    window->Attach(&session);
    connect(window, &CChatDlg::activatedByUser, this, [this](CChatDlg *w) {
        if (m_panel)
            m_panel->messengerPage()->UnqueueUnreadWindow(w);
    });
    connect(window, &CChatDlg::chatLogViewerRequested, this, &CMessengerApp::OpenChatLogViewer);
    connect(window, &CChatDlg::settingsRequested, this, &CMessengerApp::openSettings);
    connect(window, &CChatDlg::transferMonitorRequested, this, &CMessengerApp::ShowTransferMonitor);
    m_windows.removeAll(nullptr);
    m_windows.append(window);
    return window;
}

CChatDlg *CMessengerApp::OpenChatWindow(HostRecord *host, int flag, int mode, int)
{
    if (flag != 0 || !m_chats)
        return nullptr;
    return dynamic_cast<CChatDlg *>(m_chats->OpenView(host, ChatSessions::OpenMode(mode)));
}

void CMessengerApp::closeChatWindows()
{
    // The windows go before their sessions, which release what they hold.
    closeMultiSend();
    for (const QPointer<CChatDlg> &window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
    m_chats.reset();
    if (FaceLibraryAdder::current() == m_faces.get())
        FaceLibraryAdder::setCurrent(nullptr);
    m_faces.reset();
}

void CMessengerApp::FlushChatLog()
{
    if (m_chatLog)
        m_chatLog->FlushChatLog();
}

void CMessengerApp::writeEvent(const QString &line)
{
    if (!m_eventFile)
        return;
    m_eventFile->write(EngineEventLog::EscapeLine(line).toUtf8() + '\n');
    m_eventFile->flush();
}

// The application's side of the chat windows: it finds or makes the window of
// a peer, hands it the received messages, read notices, peer changes and
// pictures, and plays the message sound.
#include "app/CMessengerApp.h"

#include "app/IncomingMessagePolicy.h"
#include "app/TestDriver.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/ChatWindows.h"
#include "core/CConfig.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/EngineEventLog.h"
#include "net/IncomingPictures.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"
#include "platform/MessageSound.h"

#include <QDateTime>
#include <QFile>

void CMessengerApp::wireChatWindows()
{
    CMsgRichEdit::SetSendMsgEnter(m_config->SendMsgEnter != 0);
    m_chats = std::make_unique<ChatWindows>([this](HostRecord *peer) { return makeChatWindow(peer); });
    m_sound = std::make_unique<QtMessageSound>();
    MessageSound::setCurrent(m_sound.get());

    const QString events = qEnvironmentVariable("KWEL_EVENT_LOG");
    if (!events.isEmpty()) {
        m_eventFile = std::make_unique<QFile>(events);
        if (!m_eventFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            m_eventFile.reset();
    }

    connect(m_engine.get(), &MessengerEngine::messageReceived, this, &CMessengerApp::onMessageReceived);
    connect(m_engine.get(), &MessengerEngine::readNoticeArrived, this, &CMessengerApp::onReadNotice);
    connect(m_engine.get(), &MessengerEngine::hostAdded, this, &CMessengerApp::onPeerChanged);
    connect(m_engine.get(), &MessengerEngine::hostUpdated, this, &CMessengerApp::onPeerChanged);
    connect(m_pictures.get(), &IncomingPictures::pictureReceived, this, &CMessengerApp::onPictureReceived);
    connect(m_pictures.get(), &IncomingPictures::pictureChunkAcked, this,
        [this](quint32 id, qint32 chunk, const HostKey &from) {
            if (HostRecord *host = m_engine->FindHost(from.address, from.port)) {
                if (CChatDlg *window = m_chats->Find(*host))
                    window->OnPictureChunkAck(id, chunk);
            }
        });
    m_driver = TestDriver::fromEnvironment(*this, this);
    if (m_driver)
        connect(m_driver, &TestDriver::commandDone, this, &CMessengerApp::writeEvent);
}

void CMessengerApp::wireChatPanel()
{
    CMessengerDlg *page = m_panel->messengerPage();
    connect(page, &CMessengerDlg::openChatRequested, this,
        [this](HostRecord *host) { OpenChatWindow(host, 0, ChatWindows::Front, 0); });
    connect(m_panel.get(), &CMainPanelDlg::chatWindowRequested, this,
        [this](HostRecord *host) { OpenChatWindow(host, 0, ChatWindows::Front, 0); });
    connect(m_panel.get(), &CMainPanelDlg::unreadOpenRequested, this, &CMessengerApp::onUnreadOpen);
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

CChatDlg *CMessengerApp::makeChatWindow(HostRecord *peer)
{
    auto *window = new CChatDlg;
    CChatDlg::Services services;
    services.engine = m_engine.get();
    services.keys = m_keys;
    services.chatLog = m_chatLog.get();
    window->Attach(services, peer, m_config.get());
    connect(window, &CChatDlg::windowEvent, this, &CMessengerApp::writeEvent);
    connect(window, &CChatDlg::tipRequested, this,
        [this](const QString &title, const QString &text, int headImage, const QString &link) {
            if (m_panel)
                m_panel->ShowTipNotice(TipNotice{headImage, title, text, link});
        });
    connect(window, &CChatDlg::recentContact, this, [this](HostRecord *host) {
        if (m_panel && host)
            m_panel->messengerPage()->AddRecentContact(host);
    });
    connect(window, &CChatDlg::activatedByUser, this, [this](CChatDlg *w) {
        if (m_panel)
            m_panel->messengerPage()->UnqueueUnreadWindow(w);
    });
    return window;
}

CChatDlg *CMessengerApp::OpenChatWindow(HostRecord *host, int flag, int mode, int)
{
    if (flag != 0 || !m_chats)
        return nullptr;
    return m_chats->Open(host, mode);
}

void CMessengerApp::FlushChatLog()
{
    if (m_chatLog)
        m_chatLog->FlushChatLog();
}

void CMessengerApp::onMessageReceived(const PacketRecord &packet, HostRecord *sender)
{
    if (!sender) {
        // The receipt has gone out already: a sender we have not heard of yet
        // is listed from the message's header, and its entry answer fills in
        // the rest later.
        sender = m_engine->AddOrUpdateHost(packet, 0, packet.key.loginName(), QString(), packet.extVersion,
            packet.headIcon, packet.statusBits, packet.macText, packet.headPictureSize, packet.customPictureSize);
        if (!sender)
            return;
    }
    const IncomingMessagePolicy policy = IncomingMessagePolicy::For(*m_config, *sender);
    CChatDlg *window = OpenChatWindow(sender, 0, ChatWindows::Hidden, 0);
    if (!window)
        return;
    const bool hidden = !window->isVisible();
    window->TakeReceivedMessage(packet);
    if (!window->ShowReceivedMessage(policy.applySpamRules, hidden && policy.tipOnly))
        return;
    if (policy.sound)
        MessageSound::current().Play(policy.soundFile);
    if (!policy.tipOnly || !hidden)
        window->BringToFront(true);
    else if (m_panel)
        m_panel->messengerPage()->QueueUnreadWindow(window, 0, sender); // the tray blinks until it is opened
}

void CMessengerApp::onReadNotice(HostRecord *sender, quint32 packetNumber)
{
    if (!sender)
        return;
    if (CChatDlg *window = OpenChatWindow(sender, 0, ChatWindows::Hidden, 0))
        window->ShowReadNotice(QDateTime::currentDateTime(), packetNumber);
}

void CMessengerApp::onPeerChanged(HostRecord *host)
{
    for (CChatDlg *window : m_chats->windows())
        window->OnPeerStatusChanged(host);
}

void CMessengerApp::onPictureReceived(const ReceivedPicture &picture)
{
    if (picture.purpose != 0 || picture.groupId != 0)
        return;
    HostRecord *host = m_engine->FindHost(picture.sender.address, picture.sender.port);
    CChatDlg *window = host ? m_chats->Find(*host) : nullptr;
    if (!window)
        return;
    if (picture.image.isNull())
        window->ReplacePictureByFile(picture.id, picture.filePath);
    else
        window->ReplacePicturePlaceholder(picture.id, picture.image);
}

void CMessengerApp::writeEvent(const QString &line)
{
    if (!m_eventFile)
        return;
    m_eventFile->write(EngineEventLog::EscapeLine(line).toUtf8() + '\n');
    m_eventFile->flush();
}

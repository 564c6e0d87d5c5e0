// The chat session without a window: a recording view stands in for the
// chat window, and a second copy of the program on loopback is the peer.
#include "chat/LoopbackChat.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessionView.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/NetworkWindows.h"
#include "net/CMsgSenderWnd.h"
#include "net/Commands.h"
#include "core/FontBlock.h"
#include "core/Gbk.h"
#include "net/IncomingPictures.h"
#include "net/PeerBounds.h"
#include "net/PacketCodec.h"
#include "platform/MessageSound.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

class RecordingView : public ChatSessionView
{
public:
    explicit RecordingView(ChatSession &session)
        : m_session(&session)
    {
        session.AttachView(this);
    }
    ~RecordingView() override
    {
        if (m_session)
            m_session->DetachView(this);
    }

    void AppendEntry(const ChatHistoryEntry &entry) override { entries.append(entry.text); }
    bool ReplacePicturePlaceholder(quint32, const QImage &) override { return false; }
    bool ReplacePictureByFile(quint32, const QString &) override { return false; }
    void PeerChanged() override { ++peerChanges; }
    int BringToFront(bool noActivate) override
    {
        fronts.append(noActivate);
        shown = true;
        return 1;
    }
    bool IsShown() const override { return shown; }
    QObject *PromptOwner() override { return nullptr; }
    void Dispose() override
    {
        if (m_session)
            m_session->DetachView(this);
        m_session = nullptr;
        disposed = true;
    }

    QPointer<ChatSession> m_session;
    QStringList entries;
    QList<bool> fronts;
    int peerChanges = 0;
    bool shown = false;
    bool disposed = false;
};

// A side whose sessions show themselves in recording views.
struct ViewSide : Side
{
    explicit ViewSide(const QString &name)
        : Side(name)
    {
        sessions->setViewFactory([this](ChatSession &session) {
            views.push_back(std::make_unique<RecordingView>(session));
            return views.back().get();
        });
    }
    ~ViewSide()
    {
        for (auto &view : views)
            view->Dispose();
    }
    ChatSession *sessionOf(const Side &other) const { return sessions->Find(*peerOf(other)); }

    std::vector<std::unique_ptr<RecordingView>> views;
};

void know(Side &a, Side &b)
{
    a.engine->AnswerEntry(HostKey(QString(), QString(), 0x7F000001, b.net.port()), CMD_ANNOUNCE_ENTRY);
    ASSERT_TRUE(waitFor([&] { return a.peerOf(b) && b.peerOf(a); }));
}

TEST(ChatSession, ABlockedMessageNeedsNoWindowAndLeavesNothingBehind)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    RecordingMessageSound sound;
    MessageSoundScope soundScope(sound);
    SpamRuleRecord rule;
    rule.keyword = u("广告");
    rule.matchMode = 1;
    a.config.SpamRules = { rule };
    b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("广告: 打折"));
    ASSERT_TRUE(waitFor([&] { return a.received.size() == 1; }));
    EXPECT_EQ(a.eventsOf(u("BLOCKED")).size(), 1);
    EXPECT_TRUE(a.views.empty()) << "a blocked message opens no window";
    EXPECT_TRUE(sound.played.isEmpty());
    EXPECT_TRUE(waitFor([&] { return a.sessions->sessions().isEmpty(); })) << "and keeps no session";

    // A shown one makes the view (hidden: only a tip) and sounds.
    b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("你好"));
    ASSERT_TRUE(waitFor([&] { return a.shown == 1; }));
    ASSERT_EQ(a.views.size(), 1u);
    EXPECT_TRUE(a.views[0]->entries.last().contains(u("你好")));
    EXPECT_EQ(sound.played.size(), 1);
}

TEST(ChatSession, TypingIsToldOncePerBurstAndEndsAfterQuiet)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    a.config.ShowInputStatus = 1;
    ChatSession *session = a.sessions->Open(a.peerOf(b));
    session->InputChanged(ChatSession::TypingState::Typing);
    session->InputChanged(ChatSession::TypingState::Typing);
    session->InputChanged(ChatSession::TypingState::Typing);
    ASSERT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_TYPING); }));
    QTest::qWait(100);
    EXPECT_EQ(b.dispatched.count(CMD_TYPING), 1);
    EXPECT_TRUE(session->timers().isRunning(ChatTimerId::TypingEnd));
    session->InputChanged(ChatSession::TypingState::Drawing);
    ASSERT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_TYPING | OPT_DRAWING); }));
    session->timers().tick(ChatTimerId::TypingEnd);
    ASSERT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_TYPING_STOPPED); }));
    EXPECT_EQ(session->typingState(), ChatSession::TypingState::Idle);

    // Switched off: nothing goes out.
    a.config.ShowInputStatus = 0;
    session->InputChanged(ChatSession::TypingState::Typing);
    QTest::qWait(100);
    EXPECT_EQ(b.dispatched.count(CMD_TYPING), 1);
}

TEST(ChatSession, AWindowClosedWithMessagesInFlightGoesWhenTheyAreConfirmed)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    ChatSession *session = a.sessions->Open(a.peerOf(b));
    RecordingView *view = dynamic_cast<RecordingView *>(session->EnsureView());
    ASSERT_NE(view, nullptr);
    view->shown = true;
    b.net.Close(); // the receipt cannot come yet
    OutgoingMessage message;
    message.text = u("在吗");
    ASSERT_EQ(session->Send(message), SendOutcome::Sent);
    ASSERT_EQ(session->activeSenders().size(), 1);

    // Closing now only hides: the receipt is awaited.
    ChatCloseDecision close = session->DecideClose();
    EXPECT_FALSE(close.destroy);
    EXPECT_TRUE(close.destroyWhenSettled);
    EXPECT_TRUE(close.trimWorkingSet);
    view->shown = false;
    session->SetCloseDeferred(close.destroyWhenSettled);

    // The receipt arrives: the hidden view goes, then the idle session.
    const quint32 number = session->activeSenders().first()->packetNumber();
    emit a.engine->receiptArrived(a.peerOf(b), number);
    ASSERT_TRUE(waitFor([&] { return view->disposed; }));
    EXPECT_TRUE(waitFor([&] { return a.sessions->sessions().isEmpty(); }));

    // A window kept by the main window (unread messages) is never disposed of.
    EXPECT_FALSE(DecideChatClose({ false, true, true, true, true, false, true, false }).destroy);
    EXPECT_FALSE(DecideChatClose({ false, true, true, true, true, false, true, false }).destroyWhenSettled);
    // Without "CloseDialogDeleteRes" a window only ever hides.
    const ChatCloseDecision keep = DecideChatClose({ false, false, true, true, false, false, true, true });
    EXPECT_FALSE(keep.destroy);
    EXPECT_FALSE(keep.destroyWhenSettled);
    EXPECT_TRUE(keep.clearHistory);
}

TEST(ChatSession, ReadChecksAreBoundedAndTakenOnce)
{
    SentReadChecks checks;
    checks.Add(1, 2425, 7);
    EXPECT_FALSE(checks.Take(1, 2426, 7)) << "another port is another peer";
    EXPECT_FALSE(checks.Take(2, 2425, 7));
    EXPECT_TRUE(checks.Take(1, 2425, 7));
    EXPECT_FALSE(checks.Take(1, 2425, 7));
    for (quint32 n = 0; n < SentReadChecks::kCapacity + 10; ++n)
        checks.Add(1, 2425, n);
    EXPECT_EQ(checks.count(), SentReadChecks::kCapacity);
    EXPECT_FALSE(checks.Take(1, 2425, 5)) << "the oldest went";
    EXPECT_TRUE(checks.Take(1, 2425, SentReadChecks::kCapacity + 9));
}

// A host that changes its MAC at will cannot grow what is remembered of the
// peers that read our LZW container; the latest one is still known.
TEST(ChatSession, PeersKnownToReadOurLzwAreBounded)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    HostRecord *peer = a.peerOf(b);
    ReceivedPicture picture;
    picture.compression = 1;
    picture.sender = peer->key;
    picture.image = QImage(4, 4, QImage::Format_RGB32);
    for (qsizetype i = 0; i < ChatSessions::kLzwPeersKept + 10; ++i) {
        peer->keyText = QStringLiteral("02%1").arg(i, 10, 10, QLatin1Char('0'));
        a.sessions->OnPictureReceived(picture);
        ASSERT_LE(a.sessions->lzwPeerCount(), ChatSessions::kLzwPeersKept);
    }
    EXPECT_TRUE(a.sessions->Open(peer)->peerReadsLzw());
    EXPECT_TRUE(a.views.empty()) << "a picture without its message opens no window";
}

} // namespace

// A peer's floods reach the user bounded: one shake notice in the interval,
// one request notice per kind (the requests are still confirmed, their
// withdrawals quiet), each refusal counted.
TEST(ChatSessions, FloodsOfShakesAndRequestsReachTheUserBounded)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    RecordingMessageSound sound;
    MessageSoundScope soundScope(sound);
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    const HostKey to = b.peerOf(a)->key;
    for (int i = 0; i < 20; ++i)
        b.net.SendToHost(to, CMD_SCREEN_SHAKE, {});
    for (int i = 0; i < 20; ++i) {
        b.net.SendToHost(to, CMD_VOICE_REQUEST, {});
        b.net.SendToHost(to, CMD_VOICE_CANCELLED, {});
    }
    ASSERT_TRUE(waitFor([&] { return refused.size() >= 19 + 19; }));
    QTest::qWait(200);
    ASSERT_EQ(a.views.size(), 1u);
    const QStringList &lines = a.views[0]->entries;
    EXPECT_EQ(lines.filter(u("给您发了一个闪屏振动")).size(), 1);
    EXPECT_EQ(lines.filter(u("请求与您进行语音聊天")).size(), 1);
    EXPECT_EQ(lines.filter(u("对方取消了语音聊天请求")).size(), 1);
    EXPECT_EQ(sound.played.size(), 1) << "the one shake's sound";
    int shakes = 0, requests = 0;
    for (const QList<QVariant> &r : refused) {
        shakes += r.at(0).value<PeerRefusal>() == PeerRefusal::ShakeRate;
        requests += r.at(0).value<PeerRefusal>() == PeerRefusal::RequestRate;
    }
    EXPECT_EQ(shakes, 19);
    EXPECT_EQ(requests, 19);
}

// Messages beyond the windows the network may open a minute are held back:
// logged like shown ones (the font block read, not kept as text), their
// offered files released to the sender, and the user told their count in
// one tip per interval.
// The tip at the screen corner tells a message's pictures and faces in
// words, for a shown message and for a blocked one alike.
TEST(ChatSessions, TheTipTellsPicturesAndFacesInWords)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    a.config.NOPOPUPCHECK_STR = 1;
    SpamRuleRecord rule;
    rule.keyword = u("广告");
    rule.matchMode = 1;
    rule.action = 2; // blocked, with a tip
    a.config.SpamRules = { rule };
    QSignalSpy tips(a.sessions.get(), &ChatSessions::tipRequested);
    b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE, u("看/~#>b7f20b1a<B~和/:)"));
    ASSERT_TRUE(waitFor([&] { return tips.size() == 1; }));
    b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE, u("广告/~#>0000abcd<G~"));
    ASSERT_TRUE(waitFor([&] { return tips.size() == 2; }));
    const QString shown = tips.at(0).at(1).toString();
    const QString blocked = tips.at(1).at(1).toString();
    EXPECT_TRUE(shown.contains(u("发送内容:看[图片]和[微笑]\r\n"))) << shown.toStdString();
    EXPECT_TRUE(blocked.contains(u("发送内容:广告[表情]\r\n"))) << blocked.toStdString();
    // The history still shows the message as it came.
    ASSERT_EQ(a.views.size(), 1u);
    EXPECT_TRUE(a.views[0]->entries.last().contains(u("/~#>b7f20b1a<B~和/:)")));
}

TEST(ChatSessions, MessagesHeldBackByTheWindowBoundAreLoggedReleasedAndTold)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    QSignalSpy tips(a.sessions.get(), &ChatSessions::tipRequested);
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    int releases = 0;
    QObject::connect(&b.net, &CNetManager::datagramReceived, [&releases](const QByteArray &data, quint32, quint16) {
        PacketRecord packet;
        if (PacketCodec::ParsePacket(data, 0x7F000001, 0, packet) == PacketStatus::Ok
            && packet.command() == CMD_RELEASE_FILES)
            ++releases;
    });
    ChatFont font;
    font.faceName = u("黑体");
    font.height = -16;
    const int total = PeerBounds::kNetworkWindowsPerMinute + 3;
    for (int i = 0; i < total; ++i) {
        // Each message finds no window: the one before was closed.
        const QByteArray body = Gbk::encode(QString(u("第%1条 ").arg(i) + FormatFontPrefix(font)));
        const QByteArray files = "1:a.txt:5:5f5e1000:1:\a";
        b.net.SendDatagram(0x7F000001, a.net.port(),
            b.net.BuildPacket(b.net.NextPacketNumber(), CMD_SEND_MESSAGE | OPT_FILE_ATTACH, body, files,
                qint32(files.size())));
        ASSERT_TRUE(waitFor([&] { return a.received.size() == i + 1; }));
        for (auto &view : a.views)
            view->Dispose();
    }
    const int heldBack = total - PeerBounds::kNetworkWindowsPerMinute;
    ASSERT_TRUE(waitFor([&] { return releases >= heldBack; }));
    int windowRefusals = 0;
    for (const QList<QVariant> &r : refused)
        windowRefusals += r.at(0).value<PeerRefusal>() == PeerRefusal::WindowRate;
    EXPECT_EQ(windowRefusals, heldBack);

    ASSERT_TRUE(waitFor([&] { return a.logged().size() >= total; }));
    const QList<ChatLogEntry> logged = a.logged();
    const ChatLogEntry &shown = logged.first();
    const ChatLogEntry &last = logged.last();
    EXPECT_TRUE(last.text.endsWith(u("  第%1条\n").arg(total - 1))) << last.text.toStdString();
    EXPECT_FALSE(last.text.contains(u("{/font")));
    EXPECT_EQ(last.font.faceName, u("黑体"));
    EXPECT_EQ(last.font, shown.font);

    // The first held back is told at once, the others together after the interval.
    QStringList told;
    const auto collect = [&] {
        told.clear();
        for (const QList<QVariant> &tip : tips)
            if (tip.at(0).toString() == ChatSessions::HeldBackTipTitle())
                told << tip.at(1).toString();
        return told;
    };
    EXPECT_EQ(collect(), QStringList { ChatSessions::HeldBackTipText(1, ChatSessions::HeldBackLog::Logged) });
    ASSERT_TRUE(waitFor([&] { return collect().size() == 2; }, int(PeerBounds::kHeldBackTipIntervalMs) + 5000));
    EXPECT_EQ(told.last(), ChatSessions::HeldBackTipText(heldBack - 1, ChatSessions::HeldBackLog::Logged));
}


// New identities, each on an address of its own (127.0.0.2 on): listed by
// an entry, then one message each, straight to a's sessions (the packets are
// built by `via`).
void floodWithStrangers(ViewSide &a, Side &via, int count)
{
    static quint32 next = 0x7F000002;
    for (int i = 0; i < count; ++i) {
        const quint32 address = next++;
        PacketRecord entry, message;
        ASSERT_EQ(PacketCodec::ParsePacket(
                      via.net.BuildPacket(via.net.NextPacketNumber(), CMD_ANNOUNCE_ENTRY, "s", {}, 0), address, 2425, entry),
            PacketStatus::Ok);
        HostRecord *stranger = a.engine->AddOrUpdateHost(
            entry, CMD_ANNOUNCE_ENTRY, u("s%1").arg(i), QString(), 1, 1, 0, QString(), 0, 0);
        ASSERT_NE(stranger, nullptr);
        ASSERT_EQ(PacketCodec::ParsePacket(
                      via.net.BuildPacket(via.net.NextPacketNumber(), CMD_SEND_MESSAGE | OPT_SEND_CHECK, "hi", {}, 0),
                      address, 2425, message),
            PacketStatus::Ok);
        a.sessions->OnMessageReceived(message, stranger);
    }
}

// New identities, each with one short message, use up the windows the
// network may open; a peer listed before them still has its message shown
// and its one-file offer listed (not released), while the strangers after
// the allowance stay held back.
TEST(ChatSessions, AFloodOfNewIdentitiesLeavesAListedPeerItsWindowAndItsOffer)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    know(a, b);
    const qint64 listedAt = PeerRateLimiter::Now();
    // The flood comes later than the peer was listed (a bucket of listing
    // times further).
    ASSERT_TRUE(waitFor([&] { return PeerRateLimiter::Now() >= listedAt + 2 * NetworkWindows::kListedBucketMs; }));
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    int releases = 0, marks = 0;
    QObject::connect(&b.net, &CNetManager::datagramReceived, [&](const QByteArray &data, quint32, quint16) {
        PacketRecord packet;
        if (PacketCodec::ParsePacket(data, 0x7F000001, 0, packet) != PacketStatus::Ok)
            return;
        releases += packet.command() == CMD_RELEASE_FILES;
        marks += packet.command() == CMD_NO_OPERATION;
    });
    const int strangers = PeerBounds::kNetworkWindowsPerMinute + 10;
    floodWithStrangers(a, b, strangers);
    ASSERT_EQ(a.views.size(), size_t(PeerBounds::kNetworkWindowsPerMinute));
    const QByteArray files = "1:a.txt:5:5f5e1000:1:\a";
    b.net.SendDatagram(0x7F000001, a.net.port(),
        b.net.BuildPacket(b.net.NextPacketNumber(), CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_FILE_ATTACH,
            Gbk::encode(u("这是文件")), files, qint32(files.size())));
    ASSERT_TRUE(waitFor([&] { return a.received.size() == 1; }));
    ChatSession *session = a.sessionOf(b);
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->view(), nullptr) << "the listed peer's window";
    EXPECT_EQ(session->waitingOfferedFiles(), 1);
    ASSERT_EQ(a.views.size(), size_t(PeerBounds::kNetworkWindowsPerMinute) + 1);
    EXPECT_TRUE(a.views.back()->entries.join(QString()).contains(u("这是文件")));
    // A release would have gone before this.
    a.net.SendDatagram(0x7F000001, b.net.port(), a.net.BuildPacket(a.net.NextPacketNumber(), CMD_NO_OPERATION, {}, {}, 0));
    ASSERT_TRUE(waitFor([&] { return marks == 1; }));
    EXPECT_EQ(releases, 0);
    int windowRefusals = 0;
    for (const QList<QVariant> &r : refused)
        windowRefusals += r.at(0).value<PeerRefusal>() == PeerRefusal::WindowRate;
    EXPECT_EQ(windowRefusals, strangers - PeerBounds::kNetworkWindowsPerMinute) << "the strangers only";
}

// A peer listed while the flood goes on is a stranger too, until the user
// writes to it: then it has a window of its own whenever it answers (the
// program's own sends on a peer's request do not count).
TEST(ChatSessions, APeerTheUserWroteToHasItsOwnWindowDuringAFlood)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    Side c(u("c"));
    floodWithStrangers(a, c, PeerBounds::kNetworkWindowsPerMinute + 1);
    know(a, b);
    know(a, c);
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    c.net.SendTextToHost(c.peerOf(a)->key, CMD_SEND_MESSAGE, u("陌生人"));
    ASSERT_TRUE(waitFor([&] { return refused.size() == 1; }));
    EXPECT_EQ(a.sessionOf(c), nullptr) << "held back";

    ChatSession *toB = a.sessions->Open(a.peerOf(b));
    ChatSession::PreparedMessage hello;
    hello.text = u("你好");
    ASSERT_TRUE(toB->SendPreparedMessage(hello));
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 1; }));
    for (auto &view : a.views)
        view->Dispose();
    b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE, u("回复"));
    ASSERT_TRUE(waitFor([&] { return a.received.size() == 2; }));
    ASSERT_NE(a.sessionOf(b), nullptr);
    ASSERT_NE(a.sessionOf(b)->view(), nullptr);
    EXPECT_TRUE(a.views.back()->entries.join(QString()).contains(u("回复")));
    EXPECT_EQ(refused.size(), 1);
}

// The held-back tip says where the messages went: not "logged" while the
// disk is down to its floor, nor while the chat log is off.
TEST(ChatSessions, TheHeldBackTipSaysWhenTheMessagesWereNotLogged)
{
    const auto firstHeldBackTip = [](ViewSide &a, Side &b) {
        know(a, b);
        QSignalSpy tips(a.sessions.get(), &ChatSessions::tipRequested);
        for (int i = 0; i <= PeerBounds::kNetworkWindowsPerMinute; ++i) {
            if (i == PeerBounds::kNetworkWindowsPerMinute && a.log->IsLoggingEnabled()) {
                EXPECT_TRUE(waitFor([&] { return a.log->IsPassingOver(); }));
            }
            b.net.SendTextToHost(b.peerOf(a)->key, CMD_SEND_MESSAGE, u("第%1条").arg(i));
            EXPECT_TRUE(waitFor([&] { return a.received.size() == i + 1; }));
            for (auto &view : a.views)
                view->Dispose();
        }
        EXPECT_TRUE(waitFor([&] { return !tips.isEmpty() && tips.last().at(0).toString() == ChatSessions::HeldBackTipTitle(); }));
        return tips.isEmpty() ? QString() : tips.last().at(1).toString();
    };
    {
        ViewSide a(u("a"));
        Side b(u("b"));
        FreeSpaceFloor floor(a.dir);
        floor.setProbe([] { return std::optional(FreeSpaceFloor::Space { qint64(1) << 30, 0 }); });
        a.log->SetFreeSpaceFloor(floor);
        EXPECT_EQ(firstHeldBackTip(a, b), ChatSessions::HeldBackTipText(1, ChatSessions::HeldBackLog::DiskFull));
    }
    {
        ViewSide a(u("a"));
        Side b(u("b"));
        a.log->SetLoggingEnabled(false);
        EXPECT_EQ(firstHeldBackTip(a, b), ChatSessions::HeldBackTipText(1, ChatSessions::HeldBackLog::LogOff));
    }
}


// The files an address may have offered and not yet had received or refused
// are bounded, over all its ports: an offer beyond is refused whole,
// released to the sender and counted; the history says so once until an
// offer of the peer fits again.
TEST(ChatSessions, OffersBeyondTheWaitingFilesOfAnAddressAreRefusedReleasedAndToldOnce)
{
    ViewSide a(u("a"));
    Side b(u("b"));
    Side c(u("c")); // the same address, another port
    know(a, b);
    know(a, c);
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    QList<quint32> releases;
    QObject::connect(&b.net, &CNetManager::datagramReceived, [&releases](const QByteArray &data, quint32, quint16) {
        PacketRecord packet;
        if (PacketCodec::ParsePacket(data, 0x7F000001, 0, packet) == PacketStatus::Ok
            && packet.command() == CMD_RELEASE_FILES)
            releases.append(packet.bodyText().toUInt());
    });
    constexpr int kFiles = 250;
    static_assert(PeerBounds::kOfferedFilesPerAddress % kFiles == 0);
    constexpr int kFit = int(PeerBounds::kOfferedFilesPerAddress / kFiles);
    const auto offer = [&](Side &from, int message, int files) {
        QByteArray list;
        for (int j = 0; j < files; ++j)
            list += QByteArray::number(j + 1) + ":m" + QByteArray::number(message) + "_" + QByteArray::number(j)
                + ".txt:5:5f5e1000:1:\a";
        const quint32 number = from.net.NextPacketNumber();
        const qsizetype before = a.received.size();
        from.net.SendDatagram(0x7F000001, a.net.port(),
            from.net.BuildPacket(number, CMD_SEND_MESSAGE | OPT_FILE_ATTACH, "files", list, qint32(list.size())));
        EXPECT_TRUE(waitFor([&] { return a.received.size() == before + 1; }));
        return number;
    };
    const auto refusals = [&] {
        int n = 0;
        for (const QList<QVariant> &r : refused)
            n += r.at(0).value<PeerRefusal>() == PeerRefusal::OfferedFiles;
        return n;
    };
    for (int i = 0; i < kFit; ++i)
        offer(b, i, kFiles);
    ChatSession *session = a.sessionOf(b);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->waitingOfferedFiles(), PeerBounds::kOfferedFilesPerAddress);
    EXPECT_EQ(refusals(), 0);

    const quint32 beyond = offer(b, kFit, kFiles);
    offer(b, kFit + 1, 1);
    ASSERT_TRUE(waitFor([&] { return releases.size() == 2; }));
    EXPECT_EQ(releases.first(), beyond);
    EXPECT_EQ(refusals(), 2);
    EXPECT_EQ(session->waitingOfferedFiles(), PeerBounds::kOfferedFilesPerAddress);
    const QString told = ChatSession::OffersRefusedText(a.peerOf(b)->displayName);
    const auto toldCount = [&](const RecordingView &view) {
        return std::count_if(view.entries.cbegin(), view.entries.cend(), [&](const QString &e) { return e.contains(told); });
    };
    ASSERT_EQ(a.views.size(), 1u);
    EXPECT_EQ(toldCount(*a.views[0]), 1);
    // Another port of the address shares its bound.
    offer(c, 0, 1);
    EXPECT_EQ(refusals(), 3);
    EXPECT_EQ(a.sessionOf(c)->waitingOfferedFiles(), 0);
    EXPECT_EQ(a.sessions->waitingOfferedFiles(0x7F000001).ofAddress, PeerBounds::kOfferedFilesPerAddress);

    // The user refuses the first offer: the next one fits, and the one
    // after is told again.
    session->files().RejectCurrentOffer();
    ASSERT_TRUE(waitFor([&] { return releases.size() == 3; }));
    offer(b, kFit + 2, kFiles);
    EXPECT_EQ(refusals(), 3);
    EXPECT_EQ(session->waitingOfferedFiles(), PeerBounds::kOfferedFilesPerAddress);
    offer(b, kFit + 3, 1);
    EXPECT_EQ(refusals(), 4);
    EXPECT_EQ(toldCount(*a.views[0]), 2);
    // The rows of the first offers are still there, in order.
    EXPECT_EQ(session->files().model().offeredRows().first().name, u("m1_0.txt"));
}

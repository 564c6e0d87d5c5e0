// The multi-user send without its window: one sender and up to five copies
// of the program on loopback; what each receiver shows, in which font, and
// how its spam rules see the message.
#include "chat/CMsgRichEdit.h"
#include "chat/ChatTestUtil.h"
#include "chat/LoopbackChat.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/MultiSendSession.h"
#include "core/FontBlock.h"
#include "net/CMsgSenderWnd.h"
#include "net/ChatLogReader.h"
#include "net/Commands.h"
#include "net/ListBusyCounter.h"
#include "net/PictureStore.h"
#include "platform/ScriptedPrompter.h"

#include "TestEnv.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

ChatFont redBold()
{
    ChatFont font;
    font.faceName = u("楷体");
    font.height = -18;
    font.weight = 700;
    font.color = 0x0000FF;
    return font;
}

struct MultiFixture
{
    explicit MultiFixture(int receivers)
        : sender(u("s"))
    {
        for (int i = 0; i < receivers; ++i) {
            peers.push_back(std::make_unique<Side>(u("r%1").arg(i + 1)));
            sender.meet(*peers.back());
        }
        multi = std::make_unique<MultiSendSession>(*sender.sessions, sender.services());
        QObject::connect(multi.get(), &MultiSendSession::event, [this](const QString &line) { events.append(line); });
    }

    QList<HostRecord *> to(std::initializer_list<int> indexes) const
    {
        QList<HostRecord *> out;
        for (const int i : indexes)
            out.append(sender.peerOf(*peers[size_t(i)]));
        return out;
    }
    Side &peer(int i) { return *peers[size_t(i)]; }
    // Every receiver got what it should: counts of messages.
    bool receivedCounts(const QList<int> &counts)
    {
        for (int i = 0; i < counts.size(); ++i)
            if (peer(i).received.size() != counts[i])
                return false;
        return true;
    }

    Side sender;
    std::vector<std::unique_ptr<Side>> peers;
    std::unique_ptr<MultiSendSession> multi;
    QStringList events;
};

// What the windows of a copy show.
QString shownText(const Side &side)
{
    QString out;
    for (const QPointer<CChatDlg> &window : side.windows)
        if (window)
            out += window->history()->toPlainText();
    return out;
}

OutgoingMessage message(const QString &text, const ChatFont &font = ChatFont::standard())
{
    OutgoingMessage m;
    m.text = text;
    m.font = font;
    return m;
}

} // namespace

TEST(MultiSendSession, OneTwoAndFivePeersEachGetTheTextOnceInItsFont)
{
    MultiFixture f(5);
    const QString block = FormatFontPrefix(redBold());

    // One peer: through its own chat, not a multi-send.
    MultiSendSession::Outcome one = f.multi->Send(message(u("一个人"), redBold()), f.to({ 0 }));
    EXPECT_EQ(one.route, MultiSendPlan::Route::ThroughSessions);
    EXPECT_TRUE(one.sent);
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 1, 0, 0, 0, 0 }); }));
    const PacketRecord &single = f.peer(0).received.last();
    EXPECT_FALSE(single.hasOption(OPT_MULTICAST));
    EXPECT_EQ(single.bodyText(), u("一个人") + block) << "the font block at the end";
    ASSERT_TRUE(waitFor([&] { return f.peer(0).shown == 1; }));
    EXPECT_TRUE(shownText(f.peer(0)).contains(u("一个人")));
    // The sender's chat with the peer shows and logs it as its own message.
    ChatSession *session = f.sender.sessions->Find(*f.to({ 0 }).first());
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->view(), nullptr);
    EXPECT_TRUE(dynamic_cast<CChatDlg *>(session->view())->history()->toPlainText().contains(u("  一个人")));
    const QList<ChatLogEntry> logged = f.sender.logged();
    ASSERT_FALSE(logged.isEmpty());
    EXPECT_TRUE(logged.last().text.endsWith(u("\n  一个人\n")));
    EXPECT_EQ(logged.last().font, redBold());

    // Two peers: each through its chat, marked as a multi-send.
    EXPECT_TRUE(f.multi->Send(message(u("两个人"), redBold()), f.to({ 1, 2 })).sent);
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 1, 1, 1, 0, 0 }); }));
    for (const int i : { 1, 2 }) {
        EXPECT_TRUE(f.peer(i).received.last().hasOption(OPT_MULTICAST));
        EXPECT_EQ(f.peer(i).received.last().bodyText(), u("两个人") + block);
    }
    ASSERT_TRUE(waitFor([&] { return f.peer(1).shown == 1 && f.peer(2).shown == 1; }));
    EXPECT_TRUE(shownText(f.peer(1)).contains(u("(多人发送)")));

    // Five peers, one of them a plain IP Messenger peer: one sender; only
    // the peers that speak the extensions get the font block.
    f.sender.peerOf(f.peer(4))->extension = 0;
    const MultiSendSession::Outcome five = f.multi->Send(message(u("五个人"), redBold()), f.to({ 0, 1, 2, 3, 4 }));
    EXPECT_EQ(five.route, MultiSendPlan::Route::ThroughSender);
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 2, 2, 2, 1, 1 }); }));
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(f.peer(i).received.last().hasOption(OPT_MULTICAST));
        EXPECT_EQ(f.peer(i).received.last().bodyText(), u("五个人") + block);
    }
    EXPECT_EQ(f.peer(4).received.last().bodyText(), u("五个人")) << "a plain peer never gets the block";
    EXPECT_TRUE(f.events.last().startsWith(u("MULTISENT 5 "))) << f.events.join(u("|")).toStdString();
    // Every receipt comes back: nothing is resent any more.
    EXPECT_TRUE(waitFor([&] { return !f.multi->hasPendingSend(); }));
    QTest::qWait(500);
    EXPECT_TRUE(f.receivedCounts({ 2, 2, 2, 1, 1 })) << "each peer shows the text once";
    // Each peer's history in the log holds it.
    int logged5 = 0;
    for (const ChatLogEntry &e : f.sender.logged())
        logged5 += e.text.endsWith(u("\n  五个人\n")) ? 1 : 0;
    EXPECT_EQ(logged5, 5);
}

TEST(MultiSendSession, TheSpamRulesSeeTwoOrMorePeersAsAMultiSend)
{
    MultiFixture f(3);
    SpamRuleRecord rule;
    rule.keyword = u("广告");
    rule.scope = 1; // only multi-send messages
    rule.matchMode = 1;
    for (int i = 0; i < 3; ++i) {
        f.peer(i).config.StopRubbish = 1;
        f.peer(i).config.SpamRules = { rule };
    }
    f.multi->Send(message(u("广告一")), f.to({ 0 }));
    ASSERT_TRUE(waitFor([&] { return f.peer(0).received.size() == 1; }));
    EXPECT_EQ(f.peer(0).eventsOf(u("SHOWN")).size(), 1) << "one peer: not a multi-send";
    f.multi->Send(message(u("广告二")), f.to({ 0, 1 }));
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 2, 1, 0 }); }));
    f.multi->Send(message(u("广告三")), f.to({ 0, 1, 2 }));
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 3, 2, 1 }); }));
    EXPECT_EQ(f.peer(0).eventsOf(u("BLOCKED")).size(), 2);
    EXPECT_EQ(f.peer(1).eventsOf(u("BLOCKED")).size(), 2);
    EXPECT_EQ(f.peer(2).eventsOf(u("BLOCKED")).size(), 1);
    EXPECT_EQ(f.peer(0).eventsOf(u("SHOWN")).size(), 1);
}

TEST(MultiSendSession, FilesGoWithTheMessageAndStayWhenItIsRefused)
{
    MultiFixture f(3);
    const QString dir = TestEnv::freshDir(u("multi-files"));
    ASSERT_TRUE(TestEnv::writeAll(dir + u("/a.txt"), "aaa"));
    ASSERT_TRUE(QDir().mkpath(dir + u("/folder")));
    EXPECT_EQ(f.multi->AddAttachments({ dir + u("/a.txt"), dir + u("/folder"), dir + u("/a.txt") }), 2)
        << "a listed path is not added again";
    EXPECT_EQ(f.multi->AddAttachments({ dir + u("/missing") }), 0);

    // Nothing chosen, or nothing to send: nothing happens.
    EXPECT_EQ(f.multi->Send(message(u("x")), {}).route, MultiSendPlan::Route::Nothing);
    f.multi->SetAttachmentChecked(0, false);
    f.multi->SetAttachmentChecked(1, false);
    EXPECT_EQ(f.multi->Send(message(QString()), f.to({ 0 })).route, MultiSendPlan::Route::Nothing);
    f.multi->SetAttachmentChecked(0, true);
    f.multi->SetAttachmentChecked(1, true);

    // While a list is being changed the send is refused with a message and
    // the files stay.
    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    {
        ListBusyCounter::Raiser busy;
        const MultiSendSession::Outcome refused = f.multi->Send(message(QString()), f.to({ 0, 1, 2 }));
        EXPECT_FALSE(refused.sent);
    }
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.calls().first().text, CMsgSenderWnd::BusyText());
    EXPECT_EQ(f.multi->files().attachmentRows().size(), 2);

    // Files alone (no text) to three peers: one offer to all, and the
    // sent rows leave the list.
    EXPECT_TRUE(f.multi->Send(message(QString()), f.to({ 0, 1, 2 })).sent);
    ASSERT_TRUE(waitFor([&] { return f.receivedCounts({ 1, 1, 1 }); }));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(f.peer(i).received.last().hasOption(OPT_FILE_ATTACH));
    EXPECT_TRUE(f.multi->files().attachmentRows().isEmpty());

    // A text too long for one packet is refused whole, not cut.
    prompts.clear();
    EXPECT_FALSE(f.multi->Send(message(QString(9000, QChar(0x4E00))), f.to({ 0, 1, 2 })).sent);
    EXPECT_EQ(prompts.calls().size(), 1);
    EXPECT_FALSE(f.multi->Send(message(QString(9000, QChar(0x4E00))), f.to({ 0, 1 })).sent);
    EXPECT_EQ(prompts.calls().size(), 2) << "told once for both peers";
    QTest::qWait(200);
    EXPECT_TRUE(f.receivedCounts({ 1, 1, 1 }));
}

TEST(MultiSendSession, PicturesGoToEveryPeerThatTakesThemAndToNoOther)
{
    MultiFixture f(3);
    f.sender.TakePictures();
    for (int i = 0; i < 3; ++i)
        f.peer(i).TakePictures();
    f.sender.peerOf(f.peer(2))->extension = 0; // a plain IP Messenger peer
    auto stored = [&](int peer, quint32 id) {
        const PictureStore store(f.peer(peer).dir + u("/kwel"));
        return QFileInfo::exists(store.picturePath(PictureStore::recvFace(), id, u("bmp")));
    };
    auto withPicture = [](quint32 id) {
        OutgoingMessage m = message(u("/~#>%1<B~图").arg(id, 8, 16, QLatin1Char('0')));
        m.pictures.append(OutgoingPicture { id, ChatTest::patternImage(32, 24, id), QString() });
        return m;
    };

    // Three peers through one sender: the two that speak the extensions get
    // the picture, each through its own chat session.
    const MultiSendSession::Outcome three = f.multi->Send(withPicture(0xabc001), f.to({ 0, 1, 2 }));
    EXPECT_EQ(three.route, MultiSendPlan::Route::ThroughSender);
    EXPECT_EQ(three.plainPeersWithoutPictures, 1);
    ASSERT_TRUE(waitFor([&] { return stored(0, 0xabc001) && stored(1, 0xabc001); }));

    // Two peers through their sessions; one of them refuses pictures.
    f.sender.peerOf(f.peer(2))->extension = f.sender.peerOf(f.peer(0))->extension;
    f.sender.peerOf(f.peer(1))->peerFlags |= HostRecord::PeerRefusesPictures;
    EXPECT_EQ(f.multi->Send(withPicture(0xabc002), f.to({ 1, 2 })).route, MultiSendPlan::Route::ThroughSessions);
    ASSERT_TRUE(waitFor([&] { return stored(2, 0xabc002); }));
    QTest::qWait(200);
    EXPECT_FALSE(stored(1, 0xabc002));
    EXPECT_FALSE(stored(2, 0xabc001)) << "the plain peer got no chunk of the first";
}

TEST(MultiSendPlan, PreselectionByGroupNameOrTheMainList)
{
    auto host = [](const QString &mac, const QString &group) {
        auto *h = new HostRecord;
        h->keyText = mac;
        h->customGroup = group;
        return HostPtr(h);
    };
    const HostPtr own = host(u("00AA00000000"), u("同事"));
    const HostPtr a = host(u("00AA00000001"), u("同事"));
    const HostPtr b = host(u("00AA00000002"), u("我的好友"));
    const HostPtr noMac = host(QString(), u("同事"));
    const QList<HostRecord *> members = { own.data(), a.data(), b.data(), noMac.data() };
    PreselectContext context;
    context.ownMac = own->keyText;
    context.membersShowMode = 0;
    context.panelSelection = { b.data(), noMac.data() };
    context.inGroup = [](quint32 group, const QString &mac) { return group == 7 && mac != u("00AA00000002"); };

    EXPECT_TRUE(PreselectMembers(members, false, { 7, {} }, context).isEmpty()) << "a refill without preselection";
    EXPECT_EQ(PreselectMembers(members, true, { 7, {} }, context), QList<HostRecord *>({ a.data() }))
        << "never the own entry nor a peer without MAC text";
    EXPECT_EQ(PreselectMembers(members, true, { 0, u("同事") }, context), QList<HostRecord *>({ a.data() }));
    EXPECT_EQ(PreselectMembers(members, true, { 0, u("我的好友") }, context), QList<HostRecord *>({ b.data() }));
    EXPECT_EQ(PreselectMembers(members, true, {}, context), QList<HostRecord *>({ b.data(), noMac.data() }));
    context.membersShowMode = 1;
    EXPECT_TRUE(PreselectMembers(members, true, {}, context).isEmpty()) << "the panel shows its tree";

    // The route and the multi-send mark by the number of peers.
    MultiSendInput in;
    in.text = u("x");
    in.recipients = 1;
    EXPECT_EQ(PlanMultiSend(in).route, MultiSendPlan::Route::ThroughSessions);
    EXPECT_FALSE(PlanMultiSend(in).multiSend);
    EXPECT_TRUE(PlanMultiSend(in).extensionTail.isEmpty()) << "the standard font needs no block";
    in.recipients = 2;
    EXPECT_TRUE(PlanMultiSend(in).multiSend);
    in.recipients = 3;
    in.plainRecipients = 2;
    in.hasPictures = true;
    in.font = redBold();
    const MultiSendPlan plan = PlanMultiSend(in);
    EXPECT_EQ(plan.route, MultiSendPlan::Route::ThroughSender);
    EXPECT_EQ(plan.plainPeersWithoutPictures, 2);
    EXPECT_EQ(plan.extensionTail, FormatFontPrefix(redBold()));
    in.text.clear();
    EXPECT_EQ(PlanMultiSend(in).route, MultiSendPlan::Route::Nothing);
    in.checkedFolders = 1;
    EXPECT_EQ(PlanMultiSend(in).route, MultiSendPlan::Route::ThroughSender);
    EXPECT_TRUE(PlanMultiSend(in).extensionTail.isEmpty());
}

// The widget-free decisions of the chat window: layout, peer texts, what a
// send does, what a received message does, typing and read notices.
#include "chat/ChatFontQt.h"
#include "chat/ChatLayout.h"
#include "chat/FilePanelLayout.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/ChatSendPlan.h"
#include "chat/session/ReadNoticeQueue.h"
#include "chat/session/ReceivedMessagePlan.h"
#include "core/FontBlock.h"
#include "net/Commands.h"
#include "net/HostRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

HostRecord peer(const char *mac, const char *login, const char *host, quint32 address)
{
    HostRecord h;
    h.keyText = u(mac);
    h.key = HostKey(u(login), u(host), address, 2425);
    h.displayName = h.nickName = u("小王");
    h.extension = 1;
    return h;
}

TEST(ChatLayout, SidePanelNarrowsAndPlacesItsControls)
{
    EXPECT_EQ(ClampSideWidth(400, 168), 85);
    EXPECT_EQ(ClampSideWidth(300, 168), 80);
    EXPECT_EQ(ClampSideWidth(0, 168), 168);
    EXPECT_EQ(ClampSideWidth(800, 168), 168);

    // Client height 435 (H = 400): the captions with the file lists shown
    // (the file panel places its own lists and buttons under them).
    ChatLayoutInput in;
    in.client = QSize(700, 435);
    in.fileListsShown = true;
    ChatLayout l = ComputeChatLayout(in);
    ASSERT_EQ(l.captions.size(), 3);
    EXPECT_EQ(l.captions[0].band, QRect(700 - 168, 115, 168, 20));
    EXPECT_EQ(l.captions[2].title, QStringLiteral("发送文件"));
    EXPECT_EQ(ComputeFilePanelLayout(in.client, 168, true).captions.first().band, l.captions[0].band)
        << "the panel's bands lie on the window's";

    // The same window with the file lists hidden: the photo between the bands.
    in.fileListsShown = false;
    in.photoAvailable = true;
    l = ComputeChatLayout(in);
    EXPECT_EQ(l.captions.first().title, QStringLiteral("对方形象照片"));
    EXPECT_EQ(l.photo.top(), 169);
    EXPECT_EQ(l.photo.bottom(), 300);

    // The left column: history above the tool row and the input box, nothing overlapping.
    in.client = QSize(640, 480);
    in.sideWidth = 168;
    l = ComputeChatLayout(in);
    const QRect history = l.rect(ChatCtl::History), input = l.rect(ChatCtl::Input);
    EXPECT_LT(history.bottom(), l.rect(ChatCtl::Font).top());
    EXPECT_LT(l.rect(ChatCtl::Font).bottom(), input.top());
    EXPECT_LT(input.bottom(), l.rect(ChatCtl::Send).top());
    EXPECT_LT(l.rect(ChatCtl::Send).right(), 640 - 168);
    EXPECT_FALSE(l.rect(ChatCtl::Close).intersects(l.rect(ChatCtl::Send)));
}

TEST(ChatPeer, WindowMatchingAndTexts)
{
    HostRecord a = peer("00163E0A0B0C", "wang", "pc1", 0x0A000005);
    HostRecord b = a;
    EXPECT_TRUE(IsSameChatPeer(a, b));
    b.keyText = u("00163E0A0B0D");
    EXPECT_FALSE(IsSameChatPeer(a, b)) << "both MAC texts known and different";
    b.keyText.clear();
    EXPECT_TRUE(IsSameChatPeer(a, b)) << "without a MAC on one side the keys decide";
    b.key.address = 0x0A000006;
    EXPECT_FALSE(IsSameChatPeer(a, b));
    HostRecord c = a;
    c.key.setHostName(u("pc2"));
    EXPECT_FALSE(IsSameChatPeer(a, c));

    EXPECT_EQ(FormatMacForDisplay(u("00163E0A0B0C")), u("00-16-3E-0A-0B-0C"));
    EXPECT_EQ(FormatMacForDisplay(u("K1234")), u("K1234"));
    EXPECT_EQ(SidePaneHeading(a), u("对方资料(00-16-3E-0A-0B-0C)"));

    // A plain peer never shows a signature; its group only when it names one.
    HostRecord plain = a;
    plain.extension = 0;
    plain.signature = u("签名");
    EXPECT_EQ(PeerBandText(plain), u("小王(pc1) 10.0.0.5"));
    plain.groupName = u("研发部  ");
    EXPECT_EQ(PeerBandText(plain), u("小王(pc1) 10.0.0.5 组名:研发部"));
    a.signature = u("今天很忙 ");
    EXPECT_EQ(PeerBandText(a), u("小王:今天很忙"));
    a.signature.clear();
    a.groupName = u("研发部");
    EXPECT_EQ(PeerBandText(a), u("小王(pc1) 10.0.0.5 组名:我的好友(研发部)"));
    a.customGroup = u("研发部");
    EXPECT_EQ(PeerGroupText(a), u("研发部"));

    EXPECT_EQ(ChatWindowTitle(a), u("与 小王(pc1) 聊天中 (IP:10.0.0.5) 组名:研发部"));
    a.groupName = u("  ");
    EXPECT_EQ(ChatWindowTitle(a), u("与 小王(pc1) 聊天中 (IP:10.0.0.5)"));

    // The name of the program's lines: group and host in brackets; without
    // a display or nick name the login name.
    EXPECT_EQ(FormatHostDisplayName(a), u("小王(pc1)"));
    HostRecord named = a;
    named.groupName = u(" 研发部 ");
    EXPECT_EQ(FormatHostDisplayName(named), u("小王(研发部/pc1)"));
    named.displayName.clear();
    named.nickName.clear();
    EXPECT_EQ(FormatHostDisplayName(named), u("wang(研发部/pc1)"));

    a.customGroup = u("我的好友");
    a.groupName.clear();
    EXPECT_EQ(LogGroupName(a), u("我的好友"));
    a.groupName = u("研发部");
    EXPECT_EQ(LogGroupName(a), u("研发部"));

    a.displayName = u("老王");
    const QStringList lines = PeerInfoLines(a, true);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], u("用户名:老王(小王)"));
    EXPECT_EQ(lines[4], u("IP:10.0.0.5"));
    EXPECT_EQ(PeerInfoLines(a, false)[4], u("IP地址:10.0.0.5"));

    EXPECT_EQ(PeerLinkTag(a), u("#MAC:00163E0A0B0C"));
    a.keyText.clear();
    EXPECT_EQ(PeerLinkTag(a), u("#IP:10.0.0.5"));

    a.headIcon = 200;
    a.previousHeadIcon = 300;
    EXPECT_EQ(PeerHeadImage(a, 91), 1) << "both icon indexes outside the list";
    a.previousHeadIcon = 4;
    EXPECT_EQ(PeerHeadImage(a, 91), 5);
    EXPECT_EQ(PeerHeadImage(plain, 91), 0);
}

TEST(ChatSendPlan, QuickRepliesProgramOfferFontBlockAndPictures)
{
    ComposeInput in;
    EXPECT_EQ(PlanOutgoingMessage(in).action, ComposePlan::Action::QuickReplies);
    in.checkedFolders = 1;
    ComposePlan plan = PlanOutgoingMessage(in);
    EXPECT_EQ(plan.action, ComposePlan::Action::Send) << "files alone are a message";
    EXPECT_TRUE(plan.wireText.isEmpty());
    EXPECT_TRUE(plan.echoText.isEmpty());
    EXPECT_EQ(plan.selected, 1);

    // The standard font travels without a block; another font with one, at the end.
    in.text = u("你好/:)");
    plan = PlanOutgoingMessage(in);
    EXPECT_EQ(plan.wireText, in.text);
    EXPECT_EQ(plan.echoText, u("  你好/:)\n"));
    in.ownFont.color = 0x0000FF;
    plan = PlanOutgoingMessage(in);
    EXPECT_EQ(plan.wireText, in.text + FormatFontPrefix(in.ownFont));
    in.peerSpeaksExtensions = false;
    EXPECT_EQ(PlanOutgoingMessage(in).wireText, in.text) << "a plain peer never gets a block";

    in.pictureIds = {0x3e8};
    EXPECT_EQ(PlanOutgoingMessage(in).action, ComposePlan::Action::PlainPeerPictures);
    in.peerSpeaksExtensions = true;
    plan = PlanOutgoingMessage(in);
    EXPECT_TRUE(plan.withPictures);
    EXPECT_FALSE(plan.picturesRefused);
    in.peerRefusesPictures = true;
    plan = PlanOutgoingMessage(in);
    EXPECT_EQ(plan.action, ComposePlan::Action::Send);
    EXPECT_FALSE(plan.withPictures);
    EXPECT_TRUE(plan.picturesRefused);

    EXPECT_EQ(ChatSendTexts::FilesSentNotice(u("小王"), 2, 1, u("10:00:00")),
        u("您给 小王 发送了 2 个文件, 1 个文件夹， 共计 3 个.(时间:10:00:00)"));
    // Place markers in a nick stay as written.
    EXPECT_EQ(ChatSendTexts::FilesSentNotice(u("Bob%1%2"), 3, 0, u("12:00:00")),
        u("您给 Bob%1%2 发送了 3 个文件, 0 个文件夹， 共计 3 个.(时间:12:00:00)"));
    EXPECT_TRUE(ChatSendTexts::SendButtonTip(true).contains(u("也可按Enter发送消息")));
    EXPECT_TRUE(ChatSendTexts::SendButtonTip(false).contains(u("也可按Ctrl+Enter发送消息")));
}

SpamRuleRecord rule(const char *keyword, int scope, int match, int files, int action, const char *reply = "")
{
    SpamRuleRecord r;
    r.keyword = u(keyword);
    r.scope = scope;
    r.matchMode = match;
    r.fileCondition = files;
    r.action = action;
    r.replyText = u(reply);
    return r;
}

ReceivedInput received(const QString &text)
{
    ReceivedInput in;
    in.text = text;
    in.applyRules = true;
    in.nick = u("小王");
    in.hostName = u("pc1");
    in.address = 0x0A000005;
    in.time = u("09:30:00");
    return in;
}

TEST(ReceivedMessagePlan, SpamRuleMatrix)
{
    ChatFont font;
    font.faceName = u("楷体");
    const QString block = FormatFontPrefix(font);
    const QList<SpamRuleRecord> rules = {
        rule("推销", 1, 1, 0, 0), // multi-send only
        rule("发票", 2, 1, 2, 3, "  不需要"), // one-to-one with files, tip and log, reply
        rule("你好", 0, 0, 0, 2), // equality
        rule("楷体", 0, 1, 0, 1), // would match inside a font block
    };
    struct Case
    {
        QString text;
        bool multi;
        bool files;
        int rule;
    };
    const Case cases[] = {
        {u("推销产品"), true, false, 0},
        {u("推销产品"), false, false, -1},
        {u("发票"), false, true, 1},
        {u("发票"), true, true, -1},
        {u("发票"), false, false, -1},
        {u("你好") + block, false, false, 2}, // the block is not part of the text
        {u("你好{吗}") + block, false, false, -1}, // a "{" before the block stays
        {u("早") + block, false, false, -1}, // the face name in the block is not text
        {u("用楷体写"), false, false, 3},
    };
    for (const Case &c : cases) {
        ReceivedInput in = received(c.text);
        in.rules = rules;
        in.multiSend = c.multi;
        in.offersFiles = c.files;
        if (c.files)
            in.files = {{u("a.txt"), false}, {u("docs"), true}};
        const ReceivedPlan plan = PlanReceivedMessage(in);
        EXPECT_EQ(plan.rule, c.rule) << c.text.toStdString();
        EXPECT_EQ(plan.blocked, c.rule >= 0);
    }

    // Rules apply only when asked for.
    ReceivedInput in = received(u("推销"));
    in.rules = rules;
    in.multiSend = true;
    in.applyRules = false;
    EXPECT_FALSE(PlanReceivedMessage(in).blocked);
}

TEST(ReceivedMessagePlan, BlockedAndShownMessages)
{
    const QList<SpamRuleRecord> rules = {rule("发票", 0, 1, 0, 3, "  不需要，谢谢")};
    ReceivedInput in = received(u("发票 便宜"));
    in.rules = rules;
    in.sealed = true;
    in.offersFiles = true;
    in.files = {{u("a.txt"), false}};
    ReceivedPlan plan = PlanReceivedMessage(in);
    ASSERT_TRUE(plan.blocked);
    EXPECT_TRUE(plan.tip);
    EXPECT_TRUE(plan.log);
    EXPECT_TRUE(plan.releaseOffer);
    EXPECT_EQ(plan.autoReply, u("不需要，谢谢"));
    EXPECT_FALSE(plan.queueReadNotice) << "no read notice for a message that is not shown";
    EXPECT_TRUE(plan.logText.startsWith(u("小王(pc1)10.0.0.5 09:30:00\n发票 便宜\n------屏蔽接收的文件名为:------")));
    in.automatic = true;
    EXPECT_TRUE(PlanReceivedMessage(in).autoReply.isEmpty()) << "never an automatic reply to an automatic reply";

    ChatFont font;
    font.weight = 700;
    in = received(u("  第一行\n第二行 ") + FormatFontPrefix(font));
    in.sealed = true;
    in.multiSend = true;
    plan = PlanReceivedMessage(in);
    EXPECT_FALSE(plan.blocked);
    EXPECT_EQ(plan.senderLine, u("小王 09:30:00 (多人发送)\n"));
    EXPECT_EQ(plan.shownText, u("  第一行\n第二行 ") + FormatFontPrefix(font) + u("\n"));
    EXPECT_EQ(plan.logBody, u("  第一行\n第二行 "));
    EXPECT_EQ(plan.logFont.weight, 700);
    EXPECT_TRUE(plan.queueReadNotice);
    EXPECT_TRUE(plan.offerNotice.isEmpty());

    // An empty text with files: no sender line, the offer notice.
    in = received(QString());
    in.offersFiles = true;
    in.files = {{u("a.txt"), false}, {u("b"), true}};
    plan = PlanReceivedMessage(in);
    EXPECT_TRUE(plan.senderLine.isEmpty());
    EXPECT_EQ(plan.offerNotice, u("小王 给您发送了 2 个文件(夹),请在右侧接收.时间 09:30:00."));
}

TEST(ChatNotices, ReadNoticesOneForTheFirstThenAllForgotten)
{
    ReadNoticeQueue queue;
    queue.Add(11, CMD_SEND_MESSAGE | OPT_SECRET | OPT_READ_CHECK);
    queue.Add(12, CMD_SEND_MESSAGE | OPT_SECRET);
    queue.Add(13, CMD_SEND_MESSAGE | OPT_SECRET);
    const auto first = queue.Take(true);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->packetNumber, 11u);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_FALSE(queue.Take(true).has_value());
    queue.Add(14, 0);
    EXPECT_FALSE(queue.Take(false).has_value()) << "switched off: dropped, nothing sent";
    EXPECT_TRUE(queue.isEmpty());
}

} // namespace

namespace {

TEST(ChatFontQt, WindowsFacesMapToTheInstalledFontAndBack)
{
    // "宋体" is drawn with an installed family and travels as "宋体" again.
    const ChatFont standard = ChatFont::standard();
    const QFont drawn = ChatQFont(standard);
    EXPECT_EQ(drawn.pixelSize(), 14);
    EXPECT_FALSE(drawn.bold());
    const ChatFont back = ChatFontFromQt(drawn, ChatColor(standard.color), standard);
    EXPECT_EQ(back, standard) << "an unchanged choice keeps the standard font (no block is sent)";

    ChatFont chosen = standard;
    chosen.height = -20;
    chosen.weight = 700;
    chosen.italic = 1;
    chosen.color = 0x00FF8000; // COLORREF: blue 0xFF, green 0x80
    const QColor colour = ChatColor(chosen.color);
    EXPECT_EQ(colour, QColor(0x00, 0x80, 0xFF));
    EXPECT_EQ(ChatColorRef(colour), chosen.color);
    const ChatFont round = ChatFontFromQt(ChatQFont(chosen), colour, standard);
    EXPECT_EQ(round.height, -20);
    EXPECT_EQ(round.weight, 700);
    EXPECT_EQ(round.italic, 1);
    EXPECT_EQ(round.faceName, u("宋体"));
    EXPECT_EQ(round.color, chosen.color);

    // A face that is installed keeps its name; the format carries font and colour.
    EXPECT_EQ(InstalledFamilyFor(u("DejaVu Sans")), u("DejaVu Sans"));
    const QTextCharFormat format = ChatCharFormat(chosen);
    EXPECT_TRUE(format.font().bold());
    EXPECT_EQ(format.foreground().color(), colour);
}

} // namespace

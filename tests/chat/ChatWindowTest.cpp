// Two copies of the program on loopback, each with its own messenger engine
// and its chat sessions, routing what the engine reports to the sessions and
// their windows the way the program does.
#include "LoopbackChat.h"
#include "ChatTestUtil.h"
#include "chat/CChatDlg.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "controls/HeadIcons.h"
#include "chat/CMsgRichEdit.h"
#include "chat/session/ChatSessions.h"
#include "chat/CChatFilePanel.h"
#include "chat/HistoryLinks.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/RichEditObjects.h"
#include "net/PeerBounds.h"
#include "net/IncomingPictures.h"
#include "net/PictureStore.h"
#include "core/DecodedPictures.h"
#include "net/PictureChunk.h"
#include "chat/session/ChatSendPlan.h"
#include "chat/session/ChatTimers.h"
#include "net/VersionFetch.h"
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include "../net/LoopbackNet.h"
#include "../net/TestKeys.h"
#include "TestEnv.h"
#include "core/CConfig.h"
#include "core/FontBlock.h"
#include "core/Gbk.h"
#include "net/CMsgSenderWnd.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/KeyExchange.h"
#include "net/MessageCrypto.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QAbstractButton>
#include <QApplication>
#include <QFontDialog>
#include <QTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QScopeGuard>
#include <optional>
#include <QClipboard>
#include <QToolTip>
#include <QKeyEvent>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

void type(CChatDlg &window, const QString &text)
{
    window.input()->InsertTextWithFaces(text, 0);
}

TEST(ChatWindow, MessagesWithFontAndFacesTravelBothWaysAndAreLogged)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);

    ChatFont font;
    font.faceName = u("楷体");
    font.height = -18;
    font.weight = 700;
    font.color = 0x0000FF;
    a.window->SetOwnFont(font);
    type(*a.window, u("你好/:)世界"));
    EXPECT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_TYPING); })) << "the peer hears that the user types";
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));

    // The wire text carries the block at its end; the receiver draws it in that font and cuts it off.
    EXPECT_EQ(b.received.first().bodyText(), u("你好/:)世界") + FormatFontPrefix(font));
    ASSERT_EQ(b.eventsOf(u("SHOWN")).size(), 1);
    EXPECT_EQ(b.eventsOf(u("SHOWN")).first(), u("SHOWN 127.0.0.1 楷体,-18,700,0000ff 你好/:)世界"));
    EXPECT_TRUE(b.historyText().contains(u("a ")));
    EXPECT_TRUE(a.window->input()->document()->isEmpty()) << "sent: the input box is cleared";
    EXPECT_EQ(a.eventsOf(u("SENT")).size(), 1);
    EXPECT_TRUE(a.eventsOf(u("SENT")).first().endsWith(u("你好/:)世界")));

    // The receipt ends the sender; no give-up line follows.
    EXPECT_TRUE(waitFor([&] { return a.session()->activeSenders().isEmpty(); }));
    QTest::qWait(1500);
    EXPECT_TRUE(a.eventsOf(u("SYSTEM")).isEmpty()) << a.events.join(u"\n").toStdString();

    // The answer, in the standard font: no block on the wire.
    type(*b.window, u("收到"));
    b.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return a.shown == 1; }));
    EXPECT_EQ(a.received.first().bodyText(), u("收到"));
    EXPECT_TRUE(a.eventsOf(u("SHOWN")).first().endsWith(u("宋体,-14,500,000000 收到")));

    // Both logs: the received message with the sender's font, the own one with its header.
    const QList<ChatLogEntry> logB = b.logged();
    ASSERT_EQ(logB.size(), 2);
    EXPECT_TRUE(logB[0].text.endsWith(u("\n  你好/:)世界\n")));
    EXPECT_EQ(logB[0].font, font);
    EXPECT_EQ(logB[0].userName, u("a"));
    EXPECT_TRUE(logB[1].text.startsWith(u("b ")));
    EXPECT_TRUE(logB[1].text.endsWith(u("\n  收到\n")));
}

TEST(ChatWindow, RefusedMessagesAreNotShownLoggedOrCleared)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);

    type(*a.window, u("稍等"));
    {
        ListBusyCounter::Raiser busy;
        a.window->OnSend();
    }
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls().first().text, u("正忙...正稍候重试!"));
    // A message that does not fit its packet is refused whole, never cut
    // (2100 faces of one character each travel as 17,000 bytes of shortcuts).
    type(*a.window, u("/:strong").repeated(2100));
    a.window->OnSend();
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_TRUE(a.window->history()->document()->isEmpty());
    EXPECT_FALSE(a.window->input()->document()->isEmpty());
    EXPECT_TRUE(a.eventsOf(u("SENT")).isEmpty());
    EXPECT_TRUE(a.logged().isEmpty());
    QTest::qWait(100);
    EXPECT_TRUE(b.received.isEmpty());

    // Nothing typed: the quick replies, nothing sent; a quick reply goes into the input.
    a.window->input()->clear();
    a.window->OnSend();
    EXPECT_TRUE(a.session()->activeSenders().isEmpty());
    a.window->OnQuickReply(CChatDlg::CmdQuickReplyFirst + 2);
    EXPECT_EQ(a.window->input()->toPlainText(), a.config.QuickReplies[2]);
}

// What GBK cannot carry never leaves changed: the input box refuses it as it
// is typed or pasted, with a note, and a text that holds it anyway (a quick
// reply from the settings file) stops the send with a message naming it.
// Spaces and line breaks GBK has no code for are no such characters.
TEST(ChatWindow, CharactersGbkCannotCarryAreRefusedBeforeAnythingLeaves)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    CMsgRichEdit *input = a.window->input();
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("emoji"));
    // A key that types an emoji, as the desktop sends it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u("😀"));
    QApplication::sendEvent(input, &key);
    EXPECT_EQ(input->toPlainText(), u("emoji"));
    QInputMethodEvent ime;
    ime.setCommitString(u("好👍"));
    QApplication::sendEvent(input, &ime);
    EXPECT_EQ(input->toPlainText(), u("emoji好"));
    QGuiApplication::clipboard()->setText(u("李四<b>%1😀…"));
    input->Paste();
    EXPECT_EQ(input->toPlainText(), u("emoji好李四<b>%1…"));
    EXPECT_TRUE(QToolTip::text().contains(u("😀"))) << QToolTip::text().toStdString();
    EXPECT_TRUE(prompter.calls().isEmpty()) << "a note, no box";
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    EXPECT_EQ(b.received.first().bodyText(), u("emoji好李四<b>%1…"));
    EXPECT_TRUE(a.historyText().contains(u("emoji好李四<b>%1…")));

    a.config.QuickReplies[0] = u("马上到🚗/:)");
    a.window->OnQuickReply(CChatDlg::CmdQuickReplyFirst);
    a.window->OnSend();
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_TRUE(prompter.calls().first().text.contains(u("🚗")));
    EXPECT_FALSE(prompter.calls().first().text.contains(u("/:)")));
    EXPECT_EQ(input->toPlainText().left(3), u("马上到")) << "the input stays";
    EXPECT_EQ(a.eventsOf(u("SENT")).size(), 1);
    QTest::qWait(100);
    EXPECT_EQ(b.received.size(), 1);
    EXPECT_FALSE(a.historyText().contains(u("马上到")));

    // Text copied from a web page or an office document keeps its spaces
    // and lines: a no-break space typed, pasted or committed is a space, a
    // line or paragraph separator a new line, and no note names an
    // invisible character; a text that holds them anyway (a quick reply)
    // goes with them made plain.
    input->clear();
    prompter.clear();
    QToolTip::hideText();
    ASSERT_TRUE(waitFor([] { return !QToolTip::isVisible(); }));
    QGuiApplication::clipboard()->setText(u("下午\u00a03点\u2028第二行\u2029"));
    input->Paste();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u("\u00a0"));
    QApplication::sendEvent(input, &space);
    QInputMethodEvent lines;
    lines.setCommitString(u("好\u2029再见"));
    QApplication::sendEvent(input, &lines);
    EXPECT_EQ(input->toPlainText(), u("下午 3点\n第二行\n 好\n再见"));
    EXPECT_FALSE(QToolTip::isVisible()) << "no note: " << QToolTip::text().toStdString();
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 2; }));
    EXPECT_EQ(b.received.last().bodyText().remove(QLatin1Char('\r')), u("下午 3点\n第二行\n 好\n再见"));
    a.config.QuickReplies[0] = u("马上\u00a0到\u2028好");
    a.window->OnQuickReply(CChatDlg::CmdQuickReplyFirst);
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 3; }));
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_EQ(b.received.last().bodyText().remove(QLatin1Char('\r')), u("马上 到\n好"));
}

TEST(ChatWindow, EncryptedMessagesDecryptAndATamperedOneGetsOneNotice)
{
    Side a(u("a")), b(u("b"));
    a.keys->setOwnKeys(TestKeys::full(0));
    b.keys->setOwnKeys(TestKeys::full(1));
    a.meet(b);
    b.meet(a);
    ASSERT_TRUE(a.window->peer()->capabilities & OPT_ENCRYPT);

    type(*a.window, u("机密: 三点开会"));
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    EXPECT_TRUE(b.received.first().hasOption(OPT_ENCRYPT));
    EXPECT_FALSE(b.received.first().bodyText().contains(u("三点"))) << "not readable on the wire";
    EXPECT_EQ(b.eventsOf(u("SHOWN")).first(), u("SHOWN 127.0.0.1 宋体,-14,500,000000 mode=20002 机密: 三点开会"));

    // The answer travels encrypted too.
    type(*b.window, u("好的"));
    b.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return a.shown == 1; }));
    EXPECT_TRUE(a.eventsOf(u("SHOWN")).first().endsWith(u("mode=20002 好的")));

    // A body encrypted for somebody else's key: the error text and one automatic notice, however often it comes.
    QByteArray body;
    ASSERT_EQ(EncryptMessageBody(TestKeys::full(0), TestKeys::peerKey(*TestKeys::full(0).pair1024, 0x21003),
                  Gbk::encode(u("再来")), body),
        CryptStatus::Ok);
    for (int i = 0; i < 2; ++i) {
        a.net.SendToHost(a.peerOf(b)->key, CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_ENCRYPT, body);
        ASSERT_TRUE(waitFor([&] { return b.received.size() == 2 + i; }));
    }
    const auto notices = [&] {
        int n = 0;
        for (const PacketRecord &p : a.received)
            n += p.commandWord == KeyExchange::kErrorReplyCommand ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(waitFor([&] { return notices() == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(notices(), 1);
    EXPECT_TRUE(b.historyText().contains(u("CryptDecrypt Err")) || b.historyText().contains(u("CryptImportKey Err")));
}

TEST(ChatWindow, ReadNoticeGoesBackForAShownSealedMessageOnly)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    a.session()->SetRequestReadNotice(true);
    type(*a.window, u("请查收"));
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    EXPECT_TRUE(b.received.first().hasOption(OPT_SECRET | OPT_READ_CHECK));
    EXPECT_EQ(b.session()->pendingReadNotices(), 1);
    b.window->SendReadNotice(); // the user moves the mouse over the window
    EXPECT_EQ(b.session()->pendingReadNotices(), 0);
    ASSERT_TRUE(waitFor([&] { return !a.eventsOf(u("READNOTICE")).isEmpty(); }));
    EXPECT_TRUE(a.historyText().contains(u("b(b-pc)已打开您的消息.")));

    // A sealed message that a spam rule blocks owes nothing; the rule's reply
    // goes back once and is never answered by another reply.
    SpamRuleRecord rule;
    rule.keyword = u("广告");
    rule.matchMode = 1;
    rule.replyText = u("  请勿发送广告");
    b.config.SpamRules = {rule};
    SpamRuleRecord back;
    back.keyword = u("广告");
    back.matchMode = 1;
    back.replyText = u("不要自动回复");
    a.config.SpamRules = {back};
    type(*a.window, u("广告: 打折"));
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 2; }));
    EXPECT_EQ(b.session()->pendingReadNotices(), 0);
    EXPECT_EQ(b.eventsOf(u("BLOCKED")).size(), 1);
    ASSERT_TRUE(waitFor([&] { return a.received.size() == 1; }));
    EXPECT_EQ(a.received.first().bodyText(), u("请勿发送广告"));
    EXPECT_TRUE(a.received.first().hasOption(OPT_AUTO_RETURN));
    EXPECT_EQ(a.eventsOf(u("BLOCKED")).size(), 1) << "the reply matches A's own rule";
    QTest::qWait(300);
    EXPECT_EQ(b.received.size(), 2) << "no reply to a reply";
}

TEST(ChatWindow, OfferedFilesAreListedOrReleasedWhenBlocked)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    const QString file = a.dir + QStringLiteral("/报告.txt");
    ASSERT_TRUE(TestEnv::writeAll(file, QByteArray(1000, 'x')));
    a.window->AddAttachments({file, a.dir});
    ASSERT_EQ(a.window->sendList()->topLevelItemCount(), 2);
    a.window->OnSend(); // no text: the checked files alone are the message
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    // The attachments went; the send list shows what the peer is to fetch.
    EXPECT_TRUE(a.session()->files().model().attachmentRows().isEmpty());
    ASSERT_EQ(a.window->sendList()->topLevelItemCount(), 2);
    EXPECT_EQ(a.window->sendList()->topLevelItem(0)->text(3), u("等待对方接收"));
    EXPECT_FALSE(a.window->sendList()->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(a.eventsOf(u("SYSTEM")).first().contains(u("发送了 1 个文件, 1 个文件夹， 共计 2 个")));
    EXPECT_EQ(b.window->receiveList()->topLevelItemCount(), 2);
    EXPECT_TRUE(b.window->receiveList()->isVisibleTo(b.window));
    EXPECT_TRUE(b.eventsOf(u("SYSTEM")).first().contains(u("a 给您发送了 2 个文件(夹),请在右侧接收")));

    // A rule against messages with files: blocked, and the offer is released at once.
    SpamRuleRecord rule;
    rule.keyword = u("文件");
    rule.matchMode = 1;
    rule.fileCondition = 2;
    b.config.SpamRules = {rule};
    a.window->AddAttachments({file});
    type(*a.window, u("文件给你"));
    a.window->OnSend();
    const QList<CMsgSenderWnd *> senders = a.session()->activeSenders();
    ASSERT_FALSE(senders.isEmpty());
    const quint32 number = senders.last()->packetNumber();
    ASSERT_NE(a.engine->fileOffers().FindOffer(number), nullptr);
    ASSERT_TRUE(waitFor([&] { return !b.eventsOf(u("BLOCKED")).isEmpty(); }));
    EXPECT_TRUE(waitFor([&] { return a.engine->fileOffers().FindOffer(number) == nullptr; }));
    EXPECT_EQ(b.window->receiveList()->topLevelItemCount(), 2) << "nothing listed for the blocked message";
    EXPECT_EQ(a.window->sendList()->topLevelItemCount(), 2) << "the released offer's row left the send list";
}

TEST(ChatWindow, PicturesGoToPeersThatTakeThem)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);

    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(0x33, 0x99, 0xCC));
    a.window->input()->InsertPicture(picture, 0x12345678);
    type(*a.window, u("看图"));
    a.window->OnSend();
    EXPECT_EQ(a.session()->picturesInFlight(), 1);
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 1; }));
    EXPECT_EQ(b.received.first().bodyText(), u("/~#>12345678<B~看图"));
    EXPECT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_PICTURE_DATA | OPT_FILE_ATTACH); }));

    // A plain peer (a Windows IP Messenger) cannot show pictures, have its
    // shared files browsed, or take part in assistance or voice chat: the
    // history says so, nothing is asked, and nothing goes to it (our program
    // file least of all: it would be a Linux executable).
    a.window->peer()->extension = 0;
    a.window->input()->InsertPicture(picture, 0x22222222);
    a.window->OnSend();
    EXPECT_EQ(ListObjects(a.window->input()->document()).size(), 1) << "the input keeps the picture";
    a.window->button(ChatCtl::Shares)->click();
    a.window->button(ChatCtl::Assistance)->click();
    a.window->button(ChatCtl::Voice)->click();
    const QString history = a.window->history()->toPlainText();
    for (const char *told : { "发送失败!对方正在使用飞鸽传书(IPMSG),无法接收图片或表情信息!",
             "对方正在使用飞鸽传书(IPMSG),没有文件共享这功能!", "对方正在使用飞鸽传书(IPMSG),无法进行协助连接!",
             "对方正在使用飞鸽传书(IPMSG),无法进行与您进行语音聊天!" })
        EXPECT_TRUE(history.contains(u(told))) << told;
    EXPECT_FALSE(history.contains(u("Kwel程序")));
    EXPECT_TRUE(prompter.calls().isEmpty());
    QTest::qWait(200);
    EXPECT_EQ(b.received.size(), 1) << "no message, no file offered";
}

TEST(ChatWindow, LinksWindowsAndLayout)
{
    const QList<TextRun> runs = SplitLinks(u"看 http://example.com/a?b=1, 或 www.example.org。file:///etc/passwd");
    ASSERT_GE(runs.size(), 4);
    EXPECT_EQ(runs[1].href, u("http://example.com/a?b=1"));
    EXPECT_EQ(runs[3].href, u("www.example.org"));
    for (const TextRun &run : runs)
        EXPECT_FALSE(run.href.startsWith(u("file:")));

    Side a(u("a")), b(u("b"));
    a.meet(b);
    RecordingDesktopServices desktop;
    DesktopServicesScope scope(desktop);
    EXPECT_TRUE(a.window->OpenHistoryLink(u("https://example.com")));
    EXPECT_TRUE(a.window->OpenHistoryLink(u("mailto:someone@example.com")));
    EXPECT_FALSE(a.window->OpenHistoryLink(u("javascript:alert(1)")));
    EXPECT_FALSE(a.window->OpenHistoryLink(u("file:///etc/passwd")));
    EXPECT_EQ(desktop.opened.size(), 2);

    // The window places its controls by its layout.
    a.window->resize(700, 500);
    a.window->RecalcLayout();
    EXPECT_EQ(a.window->history()->geometry(), a.window->layout().rect(ChatCtl::History));
    EXPECT_EQ(a.window->input()->geometry(), a.window->layout().rect(ChatCtl::Input));
    EXPECT_FALSE(a.window->receiveList()->isVisibleTo(a.window));
    EXPECT_EQ(a.window->windowTitle(), u("与 b(b-pc) 聊天中 (IP:127.0.0.1)"));

    // The send options: the read-notice request is a session switch, the send key a setting.
    std::unique_ptr<QMenu> menu(a.window->CreateSendOptionsMenu());
    const QList<QAction *> actions = menu->actions();
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(), [](QAction *x) { return !x->isSeparator(); }), 6);
    a.window->OnMenuCommand(CChatDlg::CmdRequestReadNotice);
    EXPECT_TRUE(a.session()->requestsReadNotice());
    a.window->OnMenuCommand(CChatDlg::CmdSendWithCtrlEnter);
    EXPECT_EQ(a.config.SendMsgEnter, 0);
    EXPECT_FALSE(CMsgRichEdit::SendMsgEnter());
    a.window->OnMenuCommand(CChatDlg::CmdSendWithEnter);
    EXPECT_TRUE(CMsgRichEdit::SendMsgEnter());

    // A fresh record of the same peer is taken (the title follows it); another peer's is not.
    HostPtr fresh(new HostRecord);
    fresh->key = a.peerOf(b)->key;
    fresh->keyText = a.peerOf(b)->keyText;
    fresh->displayName = u("老b");
    EXPECT_TRUE(a.session()->OnPeerStatusChanged(fresh.data()));
    EXPECT_EQ(a.window->peer(), fresh.data());
    EXPECT_TRUE(a.window->windowTitle().startsWith(u("与 老b(b-pc)")));
    HostPtr other(new HostRecord);
    other->key = HostKey(u("c"), u("c-pc"), 0x7F000001, 1);
    EXPECT_FALSE(a.session()->OnPeerStatusChanged(other.data()));

    // A message whose sender is not (or no longer) in the host table is not shown.
    PacketRecord stray;
    stray.key = other->key;
    stray.commandWord = CMD_SEND_MESSAGE;
    stray.body = "?";
    a.session()->TakeReceivedMessage(stray);
    EXPECT_FALSE(a.session()->ShowReceivedMessage(false, false));

    // One session and one window per peer, found again by the window rule.
    Side c(u("c"));
    c.meet(a);
    HostRecord *peer = c.peerOf(a);
    EXPECT_EQ(c.sessions->OpenView(peer, ChatSessions::OpenMode::LookUp), c.window.data());
    EXPECT_FALSE(c.window->isVisible());
    EXPECT_EQ(c.sessions->OpenView(peer, ChatSessions::OpenMode::Shown), c.window.data());
    EXPECT_TRUE(c.window->isVisible());
    EXPECT_EQ(c.sessions->sessions().size(), 1);
    EXPECT_EQ(c.windows.size(), 1);
}

} // namespace

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

int placeholders(const CChatDlg &window)
{
    int n = 0;
    for (const RichEditObject &object : ListObjects(window.history()->document()))
        n += object.placeholder ? 1 : 0;
    return n;
}

void dragBar(QWidget *bar, const QList<QPoint> &windowPoints)
{
    QWidget *window = bar->window();
    const QPoint start = bar->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, start, bar->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &press);
    for (const QPoint &at : windowPoints) {
        const QPoint global = window->mapToGlobal(at);
        QMouseEvent move(QEvent::MouseMove, bar->mapFromGlobal(global), global, Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }
}

void releaseBar(QWidget *bar)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(1, 1), bar->mapToGlobal(QPoint(1, 1)), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &release);
}

TEST(ChatWindow, SplittersMoveOnlyInsideTheirLimits)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    CChatDlg &w = *a.window;
    w.resize(700, 500);
    w.show();
    w.RecalcLayout();
    auto *rows = w.findChild<QWidget *>(QString::number(ChatCtl::HistorySplitter));
    auto *side = w.findChild<QWidget *>(QString::number(ChatCtl::SideSplitter));
    ASSERT_TRUE(rows && side);

    // The bar above the input box, dropped at y = 300: the input box takes
    // what lies between it and the bottom bar.
    dragBar(rows, { QPoint(200, 300) });
    EXPECT_EQ(w.input()->geometry(), w.layout().rect(ChatCtl::Input));
    const int input = w.input()->height();
    // Above y = 100 or less than 61 pixels from the bottom: ignored.
    dragBar(rows, { QPoint(200, 99), QPoint(200, 445) });
    EXPECT_EQ(w.input()->height(), input);
    releaseBar(rows);
    EXPECT_EQ(w.input()->geometry(), w.layout().rect(ChatCtl::Input));
    dragBar(rows, { QPoint(200, 250) });
    releaseBar(rows);
    EXPECT_GT(w.input()->height(), input) << "a drop inside the limits takes effect";
    EXPECT_EQ(w.input()->geometry(), w.layout().rect(ChatCtl::Input));

    // The bar left of the side panel: x from 300 and more than 50 from the right.
    const int history = w.history()->width();
    dragBar(side, { QPoint(299, 200), QPoint(651, 200) });
    releaseBar(side);
    EXPECT_EQ(w.history()->width(), history);
    dragBar(side, { QPoint(400, 200) });
    releaseBar(side);
    EXPECT_LT(w.history()->width(), history);
    EXPECT_EQ(w.history()->geometry(), w.layout().rect(ChatCtl::History));
}

TEST(ChatWindow, CloseAfterSendingAndWhatClosingClears)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    // "发送后关闭对话框": the window closes once the message is out; with
    // windows kept on close ("关闭对话框后自动释放对话框资源" off) it hides and
    // keeps its history.
    a.config.SingleChatCloseWnd = 1;
    a.config.CloseDialogDeleteRes = 0;
    a.window->show();
    type(*a.window, u("第一句"));
    a.window->OnSend();
    EXPECT_FALSE(a.window->isVisible());
    ASSERT_FALSE(a.window.isNull());
    EXPECT_TRUE(a.window->input()->toPlainText().isEmpty());
    EXPECT_TRUE(a.historyText().contains(u("第一句")));
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));

    // A refused send closes nothing.
    a.window->show();
    type(*a.window, u("忙时"));
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    {
        ListBusyCounter::Raiser busy;
        a.window->OnSend();
    }
    EXPECT_TRUE(a.window->isVisible());
    EXPECT_EQ(a.window->input()->toPlainText(), u("忙时"));

    // With "关闭对话框后清空接收框内容" the history is emptied when the window closes.
    a.config.CloseClearContent = 1;
    a.window->OnSend();
    EXPECT_FALSE(a.window->isVisible());
    ASSERT_FALSE(a.window.isNull());
    EXPECT_TRUE(a.window->input()->toPlainText().isEmpty());
    EXPECT_TRUE(a.historyText().trimmed().isEmpty()) << a.historyText().toStdString();
    ASSERT_TRUE(waitFor([&] { return b.shown == 2; }));
}

TEST(ChatWindow, OnlyTheAwaitedReceiptFromThePeerStopsTheRawResend)
{
    Side a(u("a")), b(u("b")), c(u("c"));
    a.meet(b);
    b.meet(a);
    c.meet(a);
    ChatTimers &timers = a.session()->timers();
    timers.startRawResend("raw", 4711, 60000);
    QSignalSpy receipts(a.engine.get(), &MessengerEngine::receiptArrived);
    const auto receipt = [&](Side &from, const char *number) {
        const qsizetype before = receipts.size();
        from.net.SendToHost(from.peerOf(a)->key, CMD_MESSAGE_RECEIVED, number);
        return waitFor([&] { return receipts.size() > before; });
    };
    // Another number, or the awaited number from another peer: it goes on.
    ASSERT_TRUE(receipt(b, "4712"));
    ASSERT_TRUE(receipt(c, "4711"));
    EXPECT_TRUE(timers.isRunning(ChatTimerId::RawResend));
    ASSERT_TRUE(receipt(b, "4711"));
    EXPECT_FALSE(timers.isRunning(ChatTimerId::RawResend));
}

// The peer offers files; the receiving window is closed while they come.
TEST(ChatWindow, ClosingDuringAReceiveOnlyHidesTheWindowUntilTheTransferIsDone)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    const QString big = a.dir + QStringLiteral("/big.bin");
    const QString small = a.dir + QStringLiteral("/small.txt");
    ASSERT_TRUE(TestEnv::writeAll(big, QByteArray(24 << 20, 'k')));
    ASSERT_TRUE(TestEnv::writeAll(small, "s"));
    a.window->AddAttachments({big});
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    const quint32 offer = b.received.first().packetNumber;
    ASSERT_NE(a.engine->fileOffers().FindOffer(offer), nullptr);

    // "全部接收", and the window is closed at once: it only hides.
    b.window->show();
    const QString target = b.dir + QStringLiteral("/in");
    QDir().mkpath(target);
    prompter.queueSaveFile(target + QStringLiteral("/big.bin"));
    b.window->filePanel()->OnReceiveAll();
    ASSERT_TRUE(b.session()->files().isReceiving());
    QPointer<CChatDlg> receiving = b.window;
    receiving->close();
    EXPECT_FALSE(receiving.isNull());
    EXPECT_FALSE(receiving->isVisible());
    EXPECT_TRUE(b.session()->closeDeferred());

    // The receive completes in the background and its summary brings the
    // window back; closed again with nothing pending, it goes, and the
    // whole offer was fetched: the sender's offer is done.
    ASSERT_TRUE(waitFor([&] { return receiving->isVisible(); }, 20000)) << "the summary brings the window forward";
    EXPECT_TRUE(b.historyText().contains(u("文件接收完成。")));
    EXPECT_EQ(QFileInfo(target + QStringLiteral("/big.bin")).size(), qint64(24 << 20));
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/big.bin.kwq")));
    EXPECT_TRUE(waitFor([&] { return !a.engine->fileOffers().FindOffer(offer); }));
    receiving->close();
    EXPECT_TRUE(waitFor([&] { return receiving.isNull(); }));
    EXPECT_TRUE(waitFor([&] { return b.sessions->sessions().isEmpty(); })) << "nothing left: the session is freed";

    // Two items, one received while the window is closed: the other still
    // waits, so the window stays hidden; when it finally goes, the peer is
    // told that the rest will not be fetched.
    type(*a.window, u("两个文件"));
    a.window->AddAttachments({big, small});
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 2; }));
    const quint32 second = b.received.last().packetNumber;
    CChatDlg *again = dynamic_cast<CChatDlg *>(b.sessions->OpenView(b.peerOf(a), ChatSessions::OpenMode::Shown));
    ASSERT_NE(again, nullptr);
    QPointer<CChatDlg> kept = again;
    again->filePanel()->SelectOffered(0);
    prompter.queueSaveFile(target + QStringLiteral("/big2.bin"));
    again->filePanel()->OnReceiveSelected();
    again->close();
    EXPECT_FALSE(again->isVisible());
    ASSERT_TRUE(waitFor([&] { return QFileInfo(target + QStringLiteral("/big2.bin")).size() == qint64(24 << 20); }, 20000));
    ASSERT_TRUE(waitFor([&] { return again->isVisible(); }));
    again->close();
    QTest::qWait(100);
    ASSERT_FALSE(kept.isNull()) << "an item still waits: the window stays hidden";
    EXPECT_FALSE(kept->isVisible());
    EXPECT_NE(a.engine->fileOffers().FindOffer(second), nullptr);
    kept->Dispose();
    EXPECT_TRUE(waitFor([&] { return !a.engine->fileOffers().FindOffer(second); })) << "released to the peer";
}

TEST(ChatWindow, APictureThatArrivesLateReplacesItsPlaceholder)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    // The message names a picture that has not arrived: a placeholder.
    a.net.SendTextToHost(a.peerOf(b)->key, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("/~#>1234abcd<B~看"));
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    ASSERT_EQ(b.session()->pendingPlaceholders().size(), 1);
    EXPECT_EQ(b.session()->pendingPlaceholders().first().id, 0x1234abcdu);
    EXPECT_EQ(placeholders(*b.window), 1);

    // It arrives: the placeholder is replaced and leaves the list.
    ReceivedPicture picture;
    picture.id = 0x1234abcd;
    picture.sender = b.peerOf(a)->key;
    picture.image = QImage(16, 12, QImage::Format_RGB32);
    picture.image.fill(Qt::green);
    b.sessions->OnPictureReceived(picture);
    EXPECT_EQ(placeholders(*b.window), 0);
    EXPECT_TRUE(b.session()->pendingPlaceholders().isEmpty());

    // One that never comes by message: its file appears in the folder and
    // the retry timer finds it; one that never comes at all is given up.
    a.net.SendTextToHost(a.peerOf(b)->key, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("/~#>00c0ffee<B~/~#>00000bad<B~"));
    ASSERT_TRUE(waitFor([&] { return b.shown == 2; }));
    ASSERT_EQ(b.session()->pendingPlaceholders().size(), 2);
    const PictureStore store(b.dir + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    QImage late(8, 8, QImage::Format_RGB32);
    late.fill(Qt::red);
    ASSERT_TRUE(late.save(store.picturePath(PictureStore::recvFace(), 0xc0ffee, QStringLiteral("bmp")), "BMP"));
    ChatTimers &timers = b.session()->timers();
    ASSERT_TRUE(timers.isRunning(ChatTimerId::PicturePlaceholders));
    timers.tick(ChatTimerId::PicturePlaceholders);
    ASSERT_EQ(b.session()->pendingPlaceholders().size(), 1);
    for (int i = 0; i < ChatSession::kPlaceholderTries; ++i)
        timers.tick(ChatTimerId::PicturePlaceholders);
    EXPECT_TRUE(b.session()->pendingPlaceholders().isEmpty());
    EXPECT_FALSE(timers.isRunning(ChatTimerId::PicturePlaceholders));
    EXPECT_EQ(placeholders(*b.window), 1) << "the lost one stays a placeholder";
}

TEST(ChatWindow, APastedPictureShowsInThePeersHistoryAsJpegUntilOurContainerIsKnown)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    a.TakePictures();
    b.TakePictures();
    // The compression of every chunk that reaches b.
    QList<qint32> compressions;
    QObject::connect(b.engine.get(), &MessengerEngine::packetDispatched, b.engine.get(),
        [&](const PacketRecord &packet, HostRecord *) {
            PictureChunkHeader h;
            if ((packet.commandWord & 0xff) == CMD_PICTURE_DATA
                && PictureChunk::ParseHeader(packet.body, h) == PictureChunkStatus::Ok)
                compressions.append(h.compression);
        });
    auto sendPicture = [&](quint32 id, const QString &text) {
        a.window->input()->InsertPicture(ChatTest::patternImage(60, 40, id), id);
        type(*a.window, text);
        a.window->OnSend();
    };

    // A peer of unknown kind gets JPEG; every chunk is acknowledged, the
    // picture leaves the table, and the sent bitmap stays for the chat log.
    // Whether the message or its picture comes first, the history ends up
    // with the picture in the message's place.
    auto shownPicture = [&](quint32 id) {
        for (const RichEditObject &object : ListObjects(b.window->history()->document()))
            if (object.userValue == id && !object.placeholder)
                return true;
        return false;
    };
    sendPicture(0x0badf00d, u("一"));
    ASSERT_TRUE(waitFor([&] { return shownPicture(0x0badf00d) && a.session()->picturesInFlight() == 0; }));
    EXPECT_EQ(placeholders(*b.window), 0);
    ASSERT_FALSE(compressions.isEmpty());
    EXPECT_EQ(compressions.first(), 2);
    ASSERT_EQ(a.eventsOf(u("PICTURESENT")).size(), 1);
    EXPECT_TRUE(a.eventsOf(u("PICTURESENT")).first().contains(u(" resent=0 ")));
    const PictureStore aStore(a.dir + QStringLiteral("/kwel"));
    EXPECT_TRUE(QFileInfo::exists(aStore.picturePath(PictureStore::sendFace(), 0x0badf00d, QStringLiteral("bmp"))));
    const PictureStore bStore(b.dir + QStringLiteral("/kwel"));
    EXPECT_TRUE(QFileInfo::exists(bStore.picturePath(PictureStore::recvFace(), 0x0badf00d, QStringLiteral("bmp"))));

    // The peer sent us a picture in our container that decoded: from now on
    // small bitmaps go to it in the container.
    ReceivedPicture packed;
    packed.id = 0x7777;
    packed.compression = 1;
    packed.sender = a.peerOf(b)->key;
    packed.image = ChatTest::patternImage(8, 8, 1);
    a.sessions->OnPictureReceived(packed);
    compressions.clear();
    sendPicture(0x0badf00e, u("二"));
    ASSERT_TRUE(waitFor([&] { return shownPicture(0x0badf00e); }));
    ASSERT_FALSE(compressions.isEmpty());
    EXPECT_EQ(compressions.first(), 1);

    // The next pass finds nothing in flight and stops the timer; without
    // resends a picture does not start it and is done with once its chunks
    // went out.
    ASSERT_TRUE(waitFor([&] { return a.session()->picturesInFlight() == 0; }));
    a.session()->timers().tick(ChatTimerId::PictureChunks);
    EXPECT_FALSE(a.session()->timers().isRunning(ChatTimerId::PictureChunks));
    a.config.BmpUdpTrys = 0;
    sendPicture(0x0badf00f, u("三"));
    EXPECT_FALSE(a.session()->timers().isRunning(ChatTimerId::PictureChunks));
    ASSERT_TRUE(waitFor([&] { return a.session()->picturesInFlight() == 0; }));

    // A peer that refuses pictures gets the text and a notice, no chunks.
    a.config.BmpUdpTrys = 10;
    a.window->peer()->peerFlags |= HostRecord::PeerRefusesPictures;
    compressions.clear();
    const int before = b.shown;
    sendPicture(0x0badf010, u("四"));
    EXPECT_EQ(a.session()->picturesInFlight(), 0);
    EXPECT_TRUE(a.historyText().contains(ChatSendTexts::PicturesRefusedNotice()));
    ASSERT_TRUE(waitFor([&] { return b.shown == before + 1; }));
    QTest::qWait(100);
    EXPECT_TRUE(compressions.isEmpty());
}

// The user's own picture, pasted and sent while another window's pictures
// fill the budget of shown bitmaps, shows its place; the copy kept in
// SendFace fills it in once that window goes and room frees.
TEST(ChatWindow, TheUsersOwnPictureFillsItsPlaceOnceThereIsRoom)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    DecodedPictures &cache = DecodedPictures::Shared();
    cache.clear();
    const QImage big = ChatTest::patternImage(1920, 1080, 7);
    const qint64 oneShown = DecodedPictures::ShownBitmap(big).sizeInBytes() + DecodedPictures::kEntryOverhead;
    cache.setHeldBytes(oneShown + DecodedPictures::kEntryOverhead);
    const auto restore = qScopeGuard([&cache] { cache.setHeldBytes(DecodedPictures::kHeldBytes); });
    auto other = std::make_unique<CMsgRichEdit>();
    other->SetViewMode(CMsgRichEdit::HistoryView);
    other->InsertPicture(ChatTest::patternImage(1920, 1080, 9), 0x5001);
    ASSERT_FALSE(ListObjects(other->document()).first().deferred);

    a.window->show();
    QGuiApplication::clipboard()->setImage(big);
    a.window->input()->Paste();
    const QList<RichEditObject> pasted = ListObjects(a.window->input()->document());
    ASSERT_EQ(pasted.size(), 1);
    const quint32 id = pasted.first().userValue;
    type(*a.window, u("看图"));
    a.window->OnSend();
    const auto place = [&]() -> std::optional<RichEditObject> {
        for (const RichEditObject &object : ListObjects(a.window->history()->document()))
            if (object.userValue == id)
                return object;
        return std::nullopt;
    };
    ASSERT_TRUE(place());
    EXPECT_TRUE(place()->deferred) << "no room yet";
    const PictureStore store(a.dir + QStringLiteral("/kwel"));
    EXPECT_EQ(place()->filePath, store.picturePath(PictureStore::sendFace(), id, QStringLiteral("bmp")));
    EXPECT_EQ(a.window->history()->ShowDeferredPictures(), 0);

    other.reset();
    ASSERT_TRUE(waitFor([&] { return !place()->deferred; })) << "filled in once room freed";
    bool animated = true;
    EXPECT_TRUE(ChatTest::sameRgb(a.window->history()->GetPictureBitmap(id, animated), big));
    EXPECT_TRUE(a.historyText().contains(u("看图")));
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
}

TEST(ChatWindow, TheProbeRefreshesThePeerAndTheTitle)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    EXPECT_EQ(a.window->windowTitle(), u("与 b(b-pc) 聊天中 (IP:127.0.0.1)"));
    // The peer changes its name without announcing it; the probe of a window
    // fetches its entry, and the title follows two seconds later.
    b.config.NICKNAMESTR_STR = u("小b");
    b.config.GROUPNAMESTR_STR = u("研发");
    a.session()->timers().tick(ChatTimerId::Probe);
    ASSERT_TRUE(waitFor([&] { return a.peerOf(b)->displayName == u("小b"); }));
    EXPECT_EQ(a.session()->timers().period(ChatTimerId::Title), 2000);
    a.session()->timers().tick(ChatTimerId::Title);
    EXPECT_EQ(a.window->windowTitle(), u("与 小b(b-pc) 聊天中 (IP:127.0.0.1) 组名:研发"));
}

TEST(ChatWindow, AFailedEncryptionIsShownBeforeThePlainMessageGoes)
{
    Side a(u("a")), b(u("b"));
    a.keys->setOwnKeys(TestKeys::full(0));
    b.keys->setOwnKeys(TestKeys::full(1));
    a.meet(b);
    b.meet(a);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    type(*a.window, u("机密"));
    a.window->OnSend();
    // A key that cannot be imported arrives before the peer's real one.
    HostRecord *peer = a.peerOf(b);
    peer->publicKey = PeerPublicKey { QByteArray(128, '\0'), 65537, 0x21003 };
    emit a.keys->publicKeyArrived(peer);
    // The key came in a packet: the failure is told in the history, no box
    // waits on the user inside the packet's handling.
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_TRUE(a.historyText().contains(u("CryptImportKey error = 80090015"))) << a.historyText().toStdString();
    EXPECT_EQ(a.eventsOf(u("PLAIN")).size(), 1);
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    EXPECT_FALSE(b.received.first().hasOption(OPT_ENCRYPT));
}

TEST(ChatWindow, ReadNoticesOnlyForMessagesThatAskedForOne)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    // A notice for a number never sent opens nothing and shows nothing.
    delete a.window.data();
    ASSERT_TRUE(waitFor([&] { return a.sessions->sessions().isEmpty(); }));
    b.net.SendToHost(b.peerOf(a)->key, CMD_MESSAGE_OPENED, QByteArray("12345"));
    QTest::qWait(200);
    EXPECT_TRUE(a.sessions->sessions().isEmpty());
    EXPECT_TRUE(a.eventsOf(u("READNOTICE")).isEmpty());

    // One for a message that asked: shown, once; after its window went it
    // makes none, and shows in the window the user opens later.
    CChatDlg *window = dynamic_cast<CChatDlg *>(a.sessions->OpenView(a.peerOf(b), ChatSessions::OpenMode::Hidden));
    ASSERT_NE(window, nullptr);
    window->session()->SetRequestReadNotice(true);
    type(*window, u("看完告诉我"));
    window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    const quint32 number = b.received.first().packetNumber;
    delete window;
    b.session()->SendReadNotice();
    ASSERT_TRUE(waitFor([&] { return a.eventsOf(u("READHELD")).size() == 1; }));
    EXPECT_TRUE(a.eventsOf(u("READNOTICE")).isEmpty());
    for (ChatSession *session : a.sessions->sessions())
        EXPECT_EQ(session->view(), nullptr) << "no window for a notice";
    EXPECT_EQ(a.sessions->heldReadNotices().count(), 1);
    b.net.SendToHost(b.peerOf(a)->key, CMD_MESSAGE_OPENED, QByteArray::number(number));
    QTest::qWait(200);
    EXPECT_EQ(a.sessions->heldReadNotices().count(), 1) << "a repeated notice is not taken again";

    // The user opens the peer's window: the notice is there.
    auto *opened = dynamic_cast<CChatDlg *>(a.sessions->OpenView(a.peerOf(b), ChatSessions::OpenMode::Shown));
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(a.eventsOf(u("READNOTICE")).size(), 1);
    EXPECT_EQ(a.eventsOf(u("READNOTICE")).first(), u("READNOTICE 127.0.0.1 ") + QString::number(number));
    EXPECT_TRUE(opened->history()->toPlainText().contains(u("消息打开通知")));
    EXPECT_EQ(a.sessions->heldReadNotices().count(), 0);
    delete opened;
    // With the window open a notice shows at once.
    CChatDlg *again = dynamic_cast<CChatDlg *>(a.sessions->OpenView(a.peerOf(b), ChatSessions::OpenMode::Hidden));
    ASSERT_NE(again, nullptr);
    again->session()->SetRequestReadNotice(true);
    type(*again, u("再看"));
    again->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 2; }));
    b.session()->SendReadNotice();
    ASSERT_TRUE(waitFor([&] { return a.eventsOf(u("READNOTICE")).size() == 2; }));
    EXPECT_EQ(a.eventsOf(u("READHELD")).size(), 1);
}

} // namespace

namespace {

TEST(ChatWindow, ThePeersStoredPhotoShowsAndFoldsAway)
{
    Side a(ChatTest::u("a")), b(ChatTest::u("b"));
    a.meet(b);
    HostRecord *peer = a.peerOf(b);
    ASSERT_EQ(peer->keyText.size(), 12);
    a.window->resize(640, 480);
    a.window->show();
    auto *photo = a.window->findChild<QWidget *>(QString::number(ChatCtl::HeadPhoto));
    ASSERT_NE(photo, nullptr);
    EXPECT_FALSE(photo->isVisible()) << "no photo announced";

    // The peer announces its picture and it is stored: the side pane shows it.
    QImage image(48, 64, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x80, 0xC0));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "BMP"));
    const PictureStore store(a.dir + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    ASSERT_FALSE(store.SaveHeadPhoto(bmp, 1, peer->keyText, quint32(bmp.size())).isEmpty());
    peer->customPictureSize = qint32(bmp.size());
    a.session()->OnPeerStatusChanged(peer);
    EXPECT_TRUE(photo->isVisible());
    EXPECT_EQ(photo->geometry(), a.window->layout().photo);

    // A click on it folds it away, another brings it back.
    const QPoint at = a.window->layout().photo.center();
    QTest::mouseClick(a.window, Qt::LeftButton, {}, at);
    EXPECT_FALSE(photo->isVisible());
    QTest::mouseClick(a.window, Qt::LeftButton, {}, at);
    EXPECT_TRUE(photo->isVisible());
    a.window->hide();
}

} // namespace

namespace {

TEST(ChatWindow, TheSidePaneShowsTheNoticePageWhereNoPhotoStands)
{
    Side a(ChatTest::u("a")), b(ChatTest::u("b"));
    a.meet(b);
    a.config.ChatShowWeb = 1;
    const QString page = GetWebAccessPagePath();
    QDir().mkpath(QFileInfo(page).path());
    ASSERT_TRUE(TestEnv::writeAll(page, "<html><body>公告</body></html>"));
    a.window->resize(640, 480);
    a.window->show();
    // The window's first-show work navigates the pane once per peer.
    a.session()->timers().tick(ChatTimerId::SidePane);
    auto *pane = a.window->findChild<QWidget *>(QStringLiteral("1150"));
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(pane->geometry(), a.window->layout().webPane);
    EXPECT_TRUE(a.window->layout().webPane.top() > a.window->layout().captions.first().band.bottom());

    // With the file lists shown there is no room for it.
    a.window->SetFileListsShown(true);
    EXPECT_FALSE(pane->isVisible());
    a.window->hide();
    QFile::remove(page);
}

} // namespace

// A flood of lines cannot grow a history without end: the oldest blocks go.
TEST(ChatWindow, TheHistoryKeepsABoundedNumberOfBlocks)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    CChatDlg &w = *a.window;
    ChatFont font;
    for (int i = 0; i < PeerBounds::kHistoryBlocks + 50; ++i)
        w.AppendEntry({ font, QStringLiteral("line %1\n").arg(i), ChatHistoryEntry::Source::ReceivedMessage });
    EXPECT_LE(w.history()->document()->blockCount(), PeerBounds::kHistoryBlocks);
    EXPECT_TRUE(w.history()->toPlainText().contains(QStringLiteral("line %1").arg(PeerBounds::kHistoryBlocks + 49)));
    EXPECT_FALSE(w.history()->toPlainText().contains(QStringLiteral("line 10\n")));
}

// The band shows every peer, a plain one too, by its icon indexes; the font
// dialog opens at the chat font ("宋体" as the installed family, 14 pixels as
// 11 points), OK without a change keeps it and another size is its pixels.
TEST(ChatWindow, TheBandsHeadIconAndTheFontDialogsStart)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    HostRecord *peer = a.peerOf(b);
    CChatDlg &window = *a.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto bandIcon = [&] {
        window.repaint();
        return window.grab(QRect(4, 39, 16, 16)).toImage();
    };
    peer->headIcon = 4;
    const QImage icon5 = bandIcon();
    peer->extension = 0;
    EXPECT_EQ(bandIcon(), icon5) << "a plain peer's icon is its index + 1 as well";
    peer->headIcon = HeadIconCount() + 5; // beyond the list: the previous icon
    peer->previousHeadIcon = 6;
    EXPECT_NE(bandIcon(), icon5);

    const ChatFont before = a.config.chatFont;
    const auto answer = [](int points) {
        QTimer::singleShot(100, [points] {
            auto *dialog = qobject_cast<ChatFontDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QFont font = dialog->fonts()->currentFont();
            EXPECT_EQ(font.family(), InstalledFamilyFor(u("宋体")));
            EXPECT_EQ(font.pointSize(), 11);
            font.setPointSize(points);
            dialog->fonts()->setCurrentFont(font);
            dialog->accept();
        });
    };
    answer(11);
    window.button(ChatCtl::Font)->click();
    EXPECT_EQ(a.config.chatFont.height, before.height);
    EXPECT_EQ(a.config.chatFont.faceName, before.faceName);
    answer(16);
    window.button(ChatCtl::Font)->click();
    EXPECT_EQ(a.config.chatFont.height, -21);
}

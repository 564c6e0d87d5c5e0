// The chat window's requests to the peer between two (or three) copies on
// loopback, through the real windows: voice chat, remote assistance and
// control, and the screen shake.
#include "LoopbackChat.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/HistoryLinks.h"
#include "chat/WindowShaker.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/ChatRequests.h"
#include "chat/session/ChatSessions.h"
#include "chat/session/ShakeRules.h"
#include "net/Commands.h"
#include "net/RemoteRequests.h"
#include "platform/MessageSound.h"
#include "platform/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QRandomGenerator>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

QString text(const Side &side, int id)
{
    return side.window->button(id)->text();
}

bool systemLine(const Side &side, const QString &line)
{
    return side.eventsOf(u("SYSTEM")).contains(u("SYSTEM 127.0.0.1 ") + line);
}

TEST(ChatRequests, VoiceRequestIsConfirmedCancelledOrRefused)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    a.sessions->requests().setVoiceDeviceCheck([] { return true; });

    a.window->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(systemLine(a, u("您请求了与对方进行语音聊天,正等待对方同意,如果要取消,请点击上面的取消语聊按钮.")));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Voice), int(CMD_VOICE_REQUEST));
    // The peer's program says its user is asked: the button offers the cancel.
    ASSERT_TRUE(waitFor([&] { return text(a, ChatCtl::Voice) == u("取消语聊"); }));
    EXPECT_TRUE(b.historyText().contains(u("a请求与您进行语音聊天。")));
    EXPECT_TRUE(b.session()->requests().holdsIncoming(RemoteRequests::Kind::Voice));
    EXPECT_FALSE(a.session()->timers().isRunning(ChatTimerId::Voice)) << "no resends once confirmed";

    // The cancel: both windows go back.
    a.window->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(systemLine(a, u("您取消了这次语音聊天。")));
    EXPECT_EQ(text(a, ChatCtl::Voice), u("语音聊天"));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Voice), 0);
    ASSERT_TRUE(waitFor([&] { return systemLine(b, u("对方取消了语音聊天请求。")); }));
    EXPECT_FALSE(b.session()->requests().holdsIncoming(RemoteRequests::Kind::Voice));

    // Again; this time the peer's user acts in the window: the request is refused.
    a.window->button(ChatCtl::Voice)->click();
    ASSERT_TRUE(waitFor([&] { return b.session()->requests().holdsIncoming(RemoteRequests::Kind::Voice); }));
    b.window->SendReadNotice(); // the user moves the mouse over the window
    EXPECT_TRUE(systemLine(b, u("您拒绝了对方的语音聊天请求。")));
    ASSERT_TRUE(waitFor([&] { return systemLine(a, u("对方拒绝了您的语音聊天请求。")); }));
    EXPECT_EQ(text(a, ChatCtl::Voice), u("语音聊天"));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Voice), 0);

    // The indicator counts while a request of the window waits, and clears when it ends.
    a.window->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(a.session()->timers().isRunning(ChatTimerId::Activity));
    EXPECT_EQ(a.session()->timers().period(ChatTimerId::Activity), ChatSession::kActivityMs);
    for (int tick = 1; tick <= 10; ++tick) {
        a.session()->timers().tick(ChatTimerId::Activity);
        ASSERT_EQ(a.window->activityMarks(), tick % 10);
    }
    a.session()->timers().tick(ChatTimerId::Activity);
    a.window->button(ChatCtl::Voice)->click(); // withdrawn
    EXPECT_FALSE(a.session()->timers().isRunning(ChatTimerId::Activity));
    EXPECT_EQ(a.window->activityMarks(), 0);

    // Without a sound device nothing goes.
    a.sessions->requests().setVoiceDeviceCheck([] { return false; });
    a.window->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(systemLine(a, u("无语音设备!")));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Voice), 0);
}

TEST(ChatRequests, OneVoiceRequestAtATimeAndTheUnansweredOneGivesUp)
{
    Side a(u("a")), b(u("b")), c(u("c"));
    a.meet(b);
    a.sessions->requests().setVoiceDeviceCheck([] { return true; });
    QPointer<CChatDlg> withB = a.window;
    a.meet(c);
    QPointer<CChatDlg> withC = a.window;
    // b's program has no chat sessions: nobody answers.
    b.windows.clear();
    b.sessions.reset();

    withB->button(ChatCtl::Voice)->click();
    withC->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(withC->history()->toPlainText().contains(u("您已经和另外一个用户在进行语音聊天.")));
    // The request goes out again at the retry interval and then gives up.
    const int period = a.config.RETRYMSEC_STR * (a.config.RETRYMAX_STR + 3);
    ASSERT_TRUE(waitFor([&] { return withB->history()->toPlainText().contains(u("给用户 b(b-pc) 发送语音聊天请求失败！")); },
        period));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Voice), 0);
    EXPECT_FALSE(withB->session()->timers().isRunning(ChatTimerId::Voice));

    // Own address and port, a blocked peer and a plain peer.
    withC->peer()->featureBlocks = HostRecord::BlocksVoice;
    withC->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(withC->history()->toPlainText().contains(u("对方屏蔽了语音聊天功能。")));
    withC->peer()->extension = 0;
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    withC->button(ChatCtl::Voice)->click();
    EXPECT_TRUE(prompter.calls().isEmpty()) << "no question: the peer cannot take part";
    EXPECT_TRUE(withC->history()->toPlainText().contains(u("对方正在使用飞鸽传书(IPMSG),无法进行与您进行语音聊天!")));
}

TEST(ChatRequests, AssistanceAndControlAskBeforeTheWindowCloses)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);

    EXPECT_FALSE(a.window->button(ChatCtl::Control)->isEnabled());
    a.window->button(ChatCtl::Assistance)->click();
    ASSERT_TRUE(waitFor([&] { return text(a, ChatCtl::Assistance) == u("取消协助"); }));
    EXPECT_TRUE(a.window->button(ChatCtl::Control)->isEnabled()) << "control is asked within the assistance";
    a.window->button(ChatCtl::Control)->click();
    ASSERT_TRUE(waitFor([&] { return text(a, ChatCtl::Control) == u("取消控制"); }));
    EXPECT_TRUE(b.session()->requests().holdsIncoming(RemoteRequests::Kind::Control));

    // Closing while the assistance runs asks; No keeps the window.
    a.window->show();
    prompter.queueButton(Prompter::Button::No);
    a.window->close();
    EXPECT_TRUE(a.window->isVisible());
    EXPECT_TRUE(prompter.calls().last().text.contains(u("远程协助")));
    EXPECT_EQ(text(a, ChatCtl::Assistance), u("取消协助"));
    // Yes ends it: the peer hears the cancel, both states go back.
    prompter.queueButton(Prompter::Button::Yes);
    a.window->close();
    EXPECT_TRUE(systemLine(a, u("您取消了远程协助请求。")));
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Assistance), 0);
    EXPECT_EQ(a.sessions->requests().state(RemoteRequests::Kind::Control), 0);
    ASSERT_TRUE(waitFor([&] { return systemLine(b, u("对方取消了远程协助请求。")); }));
    EXPECT_FALSE(b.session()->requests().holdsIncoming(RemoteRequests::Kind::Control));

    // A peer that ends the assistance from its side.
    EXPECT_TRUE(waitFor([&] { return a.window.isNull(); })) << "the window went with the close";
    a.window = dynamic_cast<CChatDlg *>(a.sessions->OpenView(a.peerOf(b), ChatSessions::OpenMode::Hidden));
    ASSERT_TRUE(a.window);
    a.window->button(ChatCtl::Assistance)->click();
    ASSERT_TRUE(waitFor([&] { return text(a, ChatCtl::Assistance) == u("取消协助"); }));
    b.session()->SendCommand(CMD_ASSIST_ENDED);
    ASSERT_TRUE(waitFor([&] { return systemLine(a, u("对方退出了远程协助或网络问题。")); }));
    EXPECT_EQ(text(a, ChatCtl::Assistance), u("远程协助"));
    EXPECT_FALSE(a.window->button(ChatCtl::Control)->isEnabled());
    // An answer to nothing we asked changes nothing.
    b.session()->SendCommand(CMD_ASSIST_ASKING);
    QTest::qWait(100);
    EXPECT_EQ(text(a, ChatCtl::Assistance), u("远程协助"));
}

TEST(ChatRequests, ShakesTravelAtMostEveryFiveSeconds)
{
    ShakeRateRule rule;
    EXPECT_TRUE(rule.MaySend(100000));
    rule.Sent(100000);
    EXPECT_FALSE(rule.MaySend(104999));
    EXPECT_TRUE(rule.MaySend(105000));

    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    RecordingMessageSound sound;
    MessageSoundScope soundScope(sound);
    a.window->button(ChatCtl::Shake)->click();
    EXPECT_TRUE(systemLine(a, u("您给对方发送了一个闪屏振动。")));
    ASSERT_TRUE(waitFor([&] { return b.window->shaker()->shakes() == 1; }));
    EXPECT_TRUE(b.window->isMinimized()) << "the hidden window comes up minimised, its notice does not show it";
    EXPECT_TRUE(systemLine(b, u("闪 屏 振 动")));
    EXPECT_TRUE(b.historyText().contains(u("a(a-pc)给您发了一个闪屏振动.")));
    EXPECT_TRUE(b.historyText().contains(PeerLinkTag(*b.window->peer()))) << "the peer's link in its one form";
    // The answer shakes the sender's window too, without a notice that it was sent one.
    ASSERT_TRUE(waitFor([&] { return a.window->shaker()->shakes() == 1; }));
    EXPECT_FALSE(a.historyText().contains(u("给您发了一个闪屏振动")));
    EXPECT_GE(sound.played.size(), 2);

    a.window->button(ChatCtl::Shake)->click();
    EXPECT_TRUE(systemLine(a, u("您不能频繁地发送闪屏振动。")));
    QTest::qWait(200);
    EXPECT_EQ(b.window->shaker()->shakes(), 1);
    // An answer nobody asked for shakes nothing.
    b.session()->SendCommand(CMD_SHAKE_ACK);
    QTest::qWait(200);
    EXPECT_EQ(a.window->shaker()->shakes(), 1);
}

TEST(ChatRequests, AShakeRunsFromATimerAndIgnoresAnotherMeanwhile)
{
    EXPECT_EQ(DecideShakeReaction(true, false, true), ShakeReaction::Shake);
    EXPECT_EQ(DecideShakeReaction(true, false, false), ShakeReaction::Flash);
    EXPECT_EQ(DecideShakeReaction(true, true, true), ShakeReaction::ShowMinimizedAndFlash);
    EXPECT_EQ(DecideShakeReaction(false, false, false), ShakeReaction::ShowMinimizedAndFlash);
    QRandomGenerator random(3);
    const QList<QPoint> offsets = ShakeOffsets(random);
    ASSERT_EQ(offsets.size(), kShakeSteps);
    for (const QPoint &offset : offsets) {
        EXPECT_GE(offset.x(), -15);
        EXPECT_LE(offset.x(), 14);
        EXPECT_GE(offset.y(), -15);
        EXPECT_LE(offset.y(), 14);
    }

    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(waitFor([&] { return window.isActiveWindow(); }, 1000));
    const QPoint home = window.pos();
    WindowShaker shaker(&window);
    shaker.Shake();
    EXPECT_TRUE(shaker.isShaking()) << "the GUI thread goes on while it shakes";
    shaker.Shake();
    EXPECT_EQ(shaker.shakes(), 1) << "a shake during a shake is ignored";
    ASSERT_TRUE(waitFor([&] { return !shaker.isShaking(); }, 3000));
    EXPECT_EQ(window.pos(), home) << "back in its place";

    // A hidden window is shown minimised.
    window.hide();
    shaker.Shake();
    EXPECT_TRUE(window.isMinimized());
    EXPECT_FALSE(shaker.isShaking());
}

TEST(ChatRequests, PeerLinksAndPeersWhoseNamesRunTogether)
{
    const QList<TextRun> runs = SplitLinks(u"对方IP:10.0.0.2\n#IP:10.0.0.2 #MAC:00163E0A0B01 #IP:1.2");
    QStringList links;
    for (const TextRun &run : runs) {
        if (!run.href.isEmpty())
            links.append(run.href);
    }
    EXPECT_EQ(links, (QStringList{u("#IP:10.0.0.2"), u("#MAC:00163E0A0B01")}));

    Side a(u("a")), b(u("b"));
    a.meet(b);
    EXPECT_TRUE(a.window->OpenHistoryLink(PeerLinkTag(*a.window->peer())));
    EXPECT_FALSE(a.window->OpenHistoryLink(u("#MAC:001122334455")));

    // Two peers on one address whose login and host names run together the
    // same way are two conversations.
    // The sessions hold the records (and free them).
    auto *one = new HostRecord, *two = new HostRecord;
    one->key = HostKey(u("ab"), u("c"), 0x0A000001, 2425);
    two->key = HostKey(u("a"), u("bc"), 0x0A000001, 2425);
    ChatSession *first = a.sessions->Open(one);
    EXPECT_NE(a.sessions->Open(two), first);
    EXPECT_EQ(a.sessions->Find(*one), first);
}

} // namespace

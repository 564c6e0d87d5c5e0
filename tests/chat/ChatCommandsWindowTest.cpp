// The chat window's small commands through the real window on loopback: the
// send-option, screenshot-option and quick-reply menus, read notices with the
// setting off and several pending, and the window's transparency.
#include "LoopbackChat.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "controls/CQuickReplyDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

QAction *actionNamed(QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

TEST(ChatCommands, SendAndScreenshotOptionsChangeTheirSettings)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    a.config.CloseDialogDeleteRes = 1;
    a.config.SingleChatCloseWnd = 0;

    // "清空接收框" only counts while the window is not freed on closing.
    const QString clearText = u("关闭对话框后清空接收框内容(下项设置取消后有效)");
    const QString freeText = u("关闭对话框后自动释放对话框资源");
    std::unique_ptr<QMenu> menu(a.window->CreateSendOptionsMenu());
    ASSERT_NE(actionNamed(*menu, clearText), nullptr);
    EXPECT_FALSE(actionNamed(*menu, clearText)->isEnabled());
    EXPECT_TRUE(actionNamed(*menu, freeText)->isChecked());
    actionNamed(*menu, freeText)->trigger();
    EXPECT_EQ(a.config.CloseDialogDeleteRes, 0);
    menu.reset(a.window->CreateSendOptionsMenu());
    EXPECT_TRUE(actionNamed(*menu, clearText)->isEnabled());
    EXPECT_FALSE(actionNamed(*menu, freeText)->isChecked());
    actionNamed(*menu, clearText)->trigger();
    EXPECT_EQ(a.config.CloseClearContent, 1);

    // "发送后关闭对话框": the window goes once the message is sent.
    actionNamed(*menu, u("发送后关闭对话框"))->trigger();
    EXPECT_EQ(a.config.SingleChatCloseWnd, 1);
    a.window->show();
    a.window->input()->InsertTextWithFaces(u("说完就走"), 0);
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    EXPECT_FALSE(a.window && a.window->isVisible());

    // The screenshot options under the capture arrow: one of the two is checked.
    CChatDlg *window = b.window;
    ASSERT_NE(window, nullptr);
    b.config.CaptureSrnShowWnd = 0;
    const QList<QMenu *> before = window->findChildren<QMenu *>();
    window->button(ChatCtl::CaptureArrow)->click();
    QMenu *options = nullptr;
    for (QMenu *m : window->findChildren<QMenu *>()) {
        if (!before.contains(m))
            options = m;
    }
    ASSERT_NE(options, nullptr);
    QAction *hide = actionNamed(*options, u("截图时隐藏当前窗口"));
    QAction *show = actionNamed(*options, u("截图时显示当前窗口"));
    ASSERT_TRUE(hide && show);
    EXPECT_TRUE(hide->isChecked());
    EXPECT_FALSE(show->isChecked());
    show->trigger();
    EXPECT_EQ(b.config.CaptureSrnShowWnd, 1);
    options->close();
}

TEST(ChatCommands, QuickRepliesGoIntoTheInputAndAreEditedInTheirDialog)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    a.config.QuickReplies[1] = u("马上就到");
    std::unique_ptr<QMenu> menu(a.window->CreateQuickReplyMenu());
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6); // four replies, a separator, the editor
    EXPECT_EQ(actions[1]->text(), u("马上就到"));
    EXPECT_EQ(actions[5]->text(), u("——自定义快捷回复内容——"));
    a.window->input()->InsertTextWithFaces(u("好的,"), 0);
    actions[1]->trigger();
    EXPECT_EQ(a.window->input()->toPlainText(), u("好的,马上就到"));

    // The editor: the third reply changed and kept; the others stay.
    const auto keep = a.config.QuickReplies;
    bool edited = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<CQuickReplyDlg *>(QApplication::activeModalWidget());
        if (!dialog || edited)
            return;
        edited = true;
        dialog->findChild<QComboBox *>(u("1093"))->setCurrentIndex(2);
        dialog->findChild<QLineEdit *>(u("1078"))->setText(u("稍等片刻"));
        dialog->accept();
    });
    poll.start(20);
    actions[5]->trigger();
    ASSERT_TRUE(edited);
    EXPECT_EQ(a.config.QuickReplies[2], u("稍等片刻"));
    EXPECT_EQ(a.config.QuickReplies[0], keep[0]);
    EXPECT_EQ(a.config.QuickReplies[1], keep[1]);
    EXPECT_EQ(a.config.QuickReplies[3], keep[3]);
}

TEST(ChatCommands, ReadNoticesGoOnceForTheFirstPendingAndNotAtAllWhenSwitchedOff)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    b.window->session()->SetRequestReadNotice(true);
    const auto sendFromB = [&](const QString &text) {
        b.window->input()->InsertTextWithFaces(text, 0);
        b.window->OnSend();
    };

    // Three messages waiting, one action: one notice, the first one's number.
    for (const char *text : { "一", "二", "三" })
        sendFromB(u(text));
    ASSERT_TRUE(waitFor([&] { return a.received.size() == 3 && a.shown == 3; }));
    a.window->SendReadNotice();
    ASSERT_TRUE(waitFor([&] { return b.eventsOf(u("READNOTICE")).size() == 1; }));
    EXPECT_EQ(b.eventsOf(u("READNOTICE")).first(),
        u("READNOTICE 127.0.0.1 ") + QString::number(a.received.first().packetNumber));
    a.window->SendReadNotice();
    QTest::qWait(200);
    EXPECT_EQ(b.eventsOf(u("READNOTICE")).size(), 1) << "the others were cleared with it";

    // Switched off: the pending notice is dropped, not kept for later.
    a.config.SendOpenMsg = 0;
    sendFromB(u("四"));
    ASSERT_TRUE(waitFor([&] { return a.shown == 4; }));
    a.window->SendReadNotice();
    a.config.SendOpenMsg = 1;
    a.window->SendReadNotice();
    QTest::qWait(200);
    EXPECT_EQ(b.eventsOf(u("READNOTICE")).size(), 1);
}

TEST(ChatCommands, TransparencyFollowsTheAlpha)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    a.window->SetTransparency(200);
    EXPECT_EQ(a.window->transparency(), 200);
    EXPECT_NEAR(a.window->windowOpacity(), 200 / 255.0, 0.01);
    a.window->SetTransparency(255);
    EXPECT_DOUBLE_EQ(a.window->windowOpacity(), 1.0);
    // Out of range counts as opaque.
    a.window->SetTransparency(300);
    EXPECT_EQ(a.window->transparency(), 255);
    a.window->SetTransparency(-1);
    EXPECT_DOUBLE_EQ(a.window->windowOpacity(), 1.0);
}

} // namespace

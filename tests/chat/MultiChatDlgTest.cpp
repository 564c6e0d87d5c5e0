// The multi-user window over a sender and three receivers on loopback.
#include "chat/CMsgRichEdit.h"
#include "chat/CMultiChatDlg.h"
#include "chat/RichEditObjects.h"
#include "chat/DoodleSurface.h"
#include "chat/faces/FaceImages.h"
#include "remote/CDoodleBoard.h"
#include "remote/DoodleCommands.h"
#include "chat/ChatTestUtil.h"
#include "chat/LoopbackChat.h"
#include "chat/session/MultiSendSession.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/UserListModel.h"
#include "net/Commands.h"
#include "net/ListBusyCounter.h"
#include "platform/ScriptedPrompter.h"

#include "TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

// A board that draws a fixed picture and records its commands.
class FakeBoard : public DoodleSurface
{
public:
    explicit FakeBoard(QWidget *parent)
        : m_board(new QWidget(parent))
        , m_palette(new QWidget(parent))
        , m_strip(new QWidget(parent))
    {
    }
    QWidget *board() override { return m_board; }
    QWidget *palette() override { return m_palette; }
    QWidget *toolStrip() override { return m_strip; }
    void CommitFloating() override { ++commits; }
    QImage Picture() const override { return drawing; }
    bool HasSelection() const override { return false; }
    void Command(int code, int value) override { commands.append({ code, value }); }
    void PutBitmap(const QImage &, bool floating) override { floats += floating ? 1 : 0; }
    bool LoadPictureFile(const QString &) override { return true; }
    void SetColors(quint32, quint32) override { }
    QMenu *CreateMenu(QWidget *, int) override { return nullptr; }

    static inline QImage drawing;
    static inline int commits = 0;
    static inline int floats = 0;
    static inline QList<std::pair<int, int>> commands;

private:
    QWidget *m_board;
    QWidget *m_palette;
    QWidget *m_strip;
};

struct WindowFixture
{
    WindowFixture()
        : sender(u("s"))
    {
        for (const char *name : { "甲", "乙", "丙" }) {
            peers.push_back(std::make_unique<Side>(u(name)));
            sender.meet(*peers.back());
        }
        multi = std::make_unique<MultiSendSession>(*sender.sessions, sender.services());
        window = std::make_unique<CMultiChatDlg>(*multi);
        window->FillMemberList(false);
    }
    ~WindowFixture() { window.reset(); }

    HostRecord *host(int i) const { return sender.peerOf(*peers[size_t(i)]); }
    QStringList names() const
    {
        QStringList out;
        const UserListModel *model = window->memberList()->listModel();
        for (int row = 0; row < model->rowCount(); ++row)
            out.append(model->hostAt(row)->displayName);
        return out;
    }

    Side sender;
    std::vector<std::unique_ptr<Side>> peers;
    std::unique_ptr<MultiSendSession> multi;
    std::unique_ptr<CMultiChatDlg> window;
};

} // namespace

TEST(MultiChatDlg, MembersFollowTheHostTableSortedByTheWindowsOwnColumn)
{
    WindowFixture f;
    EXPECT_EQ(f.window->memberCount(), 3);
    EXPECT_EQ(f.window->windowTitle(), u("与多人聊天中---(在线人数: 3)"));
    EXPECT_EQ(f.names(), QStringList({ u("丙"), u("甲"), u("乙") })) << "GBK order of the user names";
    // A peer marked to sort last stays last in every kind and direction.
    f.host(1)->statusBits |= HostRecord::StatusSortLast;
    for (int click = 0; click < 4; ++click) {
        f.window->OnMemberColumnClick(click % 2 == 0 ? 0 : 5);
        EXPECT_EQ(f.names().last(), u("乙")) << click;
    }
    // Every click flips the direction: one column, then another, sorts the second descending.
    f.host(1)->statusBits &= ~HostRecord::StatusSortLast;
    const bool before = f.window->sortDescending();
    f.window->OnMemberColumnClick(0);
    f.window->OnMemberColumnClick(0);
    EXPECT_EQ(f.window->sortDescending(), before);
    EXPECT_EQ(f.window->sortKind(), 0);
    f.window->OnMemberColumnClick(0);
    EXPECT_EQ(f.names(), QStringList({ u("乙"), u("甲"), u("丙") }));

    // A peer that leaves goes from the list.
    f.window->SelectMembers({ f.host(0), f.host(2) });
    EXPECT_EQ(f.window->selectedCount(), 2);
    f.sender.engine->RemoveHost(f.host(2));
    EXPECT_EQ(f.window->memberCount(), 2);
    EXPECT_EQ(f.window->selectedCount(), 1);
    EXPECT_EQ(f.window->windowTitle(), u("与多人聊天中---(在线人数: 2)"));
}

TEST(MultiChatDlg, SendsToTheChosenMembersAndEmptiesTheInput)
{
    WindowFixture f;
    f.window->show();
    // Nothing chosen: nothing happens, the text stays.
    f.window->input()->InsertTextWithFaces(u("周五聚餐/:)"), 0);
    f.window->OnSend();
    EXPECT_FALSE(f.window->input()->document()->isEmpty());

    f.window->SelectMembers({ f.host(0), f.host(1) });
    f.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return f.peers[0]->received.size() == 1 && f.peers[1]->received.size() == 1; }));
    EXPECT_TRUE(f.peers[0]->received.last().hasOption(OPT_MULTICAST));
    EXPECT_EQ(f.peers[0]->received.last().bodyText(), u("周五聚餐/:)"));
    EXPECT_TRUE(f.peers[2]->received.isEmpty());
    EXPECT_TRUE(f.window->input()->document()->isEmpty());
    EXPECT_TRUE(f.window->isVisible());

    // "发送后关闭对话框" hides the window after a send.
    f.window->OnMenuCommand(CMultiChatDlg::CmdCloseAfterSend);
    EXPECT_EQ(f.sender.config.MutiChatCloseWnd, 1);
    f.window->input()->InsertTextWithFaces(u("再见"), 0);
    f.window->OnSend();
    EXPECT_FALSE(f.window->isVisible());
    ASSERT_TRUE(waitFor([&] { return f.peers[0]->received.size() == 2; }));

    // Closed while a send to three peers waits for its receipts, the window
    // only hides: the send goes on and each peer gets the text once.
    f.window->show();
    f.window->memberList()->clearSelection();
    f.window->SelectMembers({ f.host(0), f.host(1), f.host(2) });
    f.window->input()->InsertTextWithFaces(u("三个人"), 0);
    f.window->OnSend();
    QPointer<CMultiChatDlg> alive(f.window.get());
    f.window->close();
    EXPECT_TRUE(f.multi->hasPendingSend());
    ASSERT_TRUE(waitFor([&] { return !f.multi->hasPendingSend(); }));
    EXPECT_FALSE(alive.isNull());
    EXPECT_EQ(f.peers[0]->received.size(), 3);
    EXPECT_EQ(f.peers[1]->received.size(), 3);
    EXPECT_EQ(f.peers[2]->received.size(), 1);
    EXPECT_EQ(f.peers[2]->received.last().bodyText(), u("三个人"));
}

// Its input box keeps pasted spaces and line breaks as the chat window's does.
TEST(MultiChatDlg, PastedSpacesAndLineBreaksStay)
{
    WindowFixture f;
    f.window->show();
    QGuiApplication::clipboard()->setText(u("下午\u00a03点\u2029见"));
    f.window->input()->Paste();
    f.window->SelectMembers({ f.host(0) });
    f.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return f.peers[0]->received.size() == 1; }));
    EXPECT_EQ(f.peers[0]->received.last().bodyText().remove(QLatin1Char('\r')), u("下午 3点\n见"));
}

TEST(MultiChatDlg, FilesListedOnceAndTheirTicksCount)
{
    WindowFixture f;
    const QString dir = TestEnv::freshDir(u("multi-window-files"));
    ASSERT_TRUE(TestEnv::writeAll(dir + u("/报告.doc"), "x"));
    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    prompts.queueOpenFiles({ dir + u("/报告.doc") });
    f.window->button(MultiCtl::AddFiles)->click();
    f.window->AddFiles({ dir + u("/报告.doc") });
    prompts.queueFolder(dir);
    f.window->button(MultiCtl::AddFolder)->click();
    QTreeWidget *list = f.window->fileList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), u("文件"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), u("目录"));
    // Unticked rows stay when the ticked ones are sent or removed.
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(f.multi->files().attachmentRows()[1].checked);
    f.window->button(MultiCtl::RemoveFiles)->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), u("目录"));
}

TEST(MultiChatDlg, SplittersAndTheDoodleMode)
{
    WindowFixture f;
    f.window->resize(800, 600);
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    const auto drag = [&](int x, int y, bool horizontal) {
        f.window->OnSplitterDragged(f.window->mapToGlobal(QPoint(x, y)), horizontal);
    };
    drag(299, 0, false);
    EXPECT_EQ(f.window->layout().paneWidth, 168) << "too far left";
    drag(400, 0, false);
    EXPECT_EQ(f.window->layout().paneWidth, 400);
    drag(0, 560, true);
    EXPECT_EQ(f.window->layout().inputHeight, 120) << "60 pixels or less below";
    drag(0, 400, true);
    EXPECT_EQ(f.window->layout().inputHeight, 200);

    // The mode button puts the drawing tools in place of the input box and back.
    f.window->OnModeButton();
    EXPECT_TRUE(f.window->doodleMode());
    QWidget *board = f.window->findChild<QWidget *>(QStringLiteral("1179"));
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->isVisibleTo(f.window.get()));
    EXPECT_FALSE(f.window->input()->isVisibleTo(f.window.get()));
    f.window->OnModeButton();
    EXPECT_FALSE(f.window->doodleMode());
    EXPECT_FALSE(board->isVisibleTo(f.window.get()));
}

TEST(MultiChatDlg, TheDoodleBoardsDrawingGoesAsAPicture)
{
    CMultiChatDlg::SetDoodleFactory([](QWidget *parent) { return std::make_unique<FakeBoard>(parent); });
    WindowFixture f;
    CMultiChatDlg::SetDoodleFactory({});
    f.window->show();
    QAbstractButton *mode = f.window->button(MultiCtl::Mode);
    f.window->OnModeButton();
    EXPECT_TRUE(f.window->doodleMode());
    EXPECT_EQ(mode->text(), u("文字模式"));
    EXPECT_EQ(f.window->layout().inputHeight, 120 + 42);
    EXPECT_FALSE(f.window->input()->isVisible());
    EXPECT_TRUE(f.window->findChild<QWidget *>(u("1179"))->isVisible());

    // An empty board sends nothing.
    f.window->SelectMembers({ f.host(0), f.host(1), f.host(2) });
    FakeBoard::drawing = QImage();
    f.window->OnSend();
    QTest::qWait(100);
    EXPECT_TRUE(f.peers[0]->received.isEmpty());
    // A drawing goes to all three as a picture of the message; the board is cleared.
    FakeBoard::drawing = ChatTest::patternImage(40, 30, 0x336699);
    FakeBoard::commands.clear();
    f.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return f.peers[2]->received.size() == 1; }));
    EXPECT_TRUE(f.peers[2]->received.last().bodyText().contains(u("<B~"))) << "a picture marker";
    EXPECT_TRUE(FakeBoard::commands.contains(std::pair(DoodleSurface::kClearImage, 0)));

    f.window->OnModeButton();
    EXPECT_EQ(mode->text(), u("随手涂鸭"));
    EXPECT_EQ(f.window->layout().inputHeight, 120);
    EXPECT_TRUE(f.window->input()->isVisible());
}

TEST(MultiChatDlg, PlainPeersAmongThoseWhoGetPicturesAreNamedInAWarning)
{
    WindowFixture f;
    f.sender.peerOf(*f.peers[2])->extension = 0;
    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    f.window->SelectMembers({ f.host(0), f.host(1), f.host(2) });
    f.window->input()->InsertPicture(ChatTest::patternImage(20, 20, 0x112233), 0x12345678);
    f.window->input()->InsertTextWithFaces(u("看图"), 0);
    f.window->OnSend();
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.calls().first().text,
        u("刚发送的用户中,有 1 个用户正在使用飞鸽传书(IPMSG),无法接收到您发送的图片或表情信息."));
    ASSERT_TRUE(waitFor([&] { return f.peers[2]->received.size() == 1; }));
    EXPECT_EQ(f.peers[2]->received.last().bodyText(), u("/~#>12345678<B~看图")) << "the text still goes";
}

TEST(MultiChatDlg, MenusAndTheirCommands)
{
    WindowFixture f;
    std::unique_ptr<QMenu> options(f.window->CreateSendOptionsMenu());
    QStringList texts;
    for (QAction *a : options->actions())
        if (!a->isSeparator())
            texts.append(a->text());
    EXPECT_EQ(texts.size(), 5);
    EXPECT_FALSE(options->actions().last()->isEnabled()) << "the option belongs to the chat window";
    f.window->OnMenuCommand(CMultiChatDlg::CmdRequestReadNotice);
    EXPECT_TRUE(f.multi->requestsReadNotice());
    f.window->OnMenuCommand(CMultiChatDlg::CmdLargeIcons);
    EXPECT_TRUE(f.window->memberList()->largeIcons());
    EXPECT_EQ(f.sender.config.MutiLargeImage, 1);
    bool logRequested = false;
    QObject::connect(f.window.get(), &CMultiChatDlg::chatLogViewerRequested, [&] { logRequested = true; });
    std::unique_ptr<QMenu> members(f.window->CreateMemberMenu());
    for (QAction *a : members->actions())
        if (a->data().toInt() == CMultiChatDlg::CmdChatLog)
            a->trigger();
    EXPECT_TRUE(logRequested);
}

TEST(MultiChatDlg, FacesFromThePickerGoIntoTheInputOrOntoTheBoard)
{
    WindowFixture f;
    f.window->show();
    f.window->OnFaceButton();
    // A built-in face and a custom face (its file named by its id).
    f.window->OnFaceChosen(QString(), 3);
    const QString custom = TestEnv::freshDir(u("multi-faces")) + u("/0000abcd.bmp");
    ASSERT_TRUE(ChatTest::patternImage(16, 16, 0x445566).save(custom, "BMP"));
    f.window->OnFaceChosen(custom, -1);
    QString text;
    QList<quint32> ids;
    f.window->input()->GetTextWithMarkers(text, ids, false);
    EXPECT_EQ(ids, QList<quint32>({ 0xabcd }));
    EXPECT_TRUE(text.endsWith(u("/~#>0000abcd<B~")));
    EXPECT_TRUE(text.startsWith(u("/"))) << "the built-in face as its shortcut";

    CMultiChatDlg::SetDoodleFactory([](QWidget *parent) { return std::make_unique<FakeBoard>(parent); });
    WindowFixture g;
    CMultiChatDlg::SetDoodleFactory({});
    g.window->OnModeButton();
    FakeBoard::floats = 0;
    g.window->OnFaceChosen(QString(), 3);
    g.window->OnFaceChosen(custom, -1);
    EXPECT_EQ(FakeBoard::floats, 2) << "on the board, floating";
    EXPECT_TRUE(g.window->input()->document()->isEmpty());

    // On the real board the face floats at the corner and the mouse cursor
    // is put in its middle, ready to drag it where it goes.
    WindowFixture h;
    h.window->show();
    h.window->OnModeButton();
    auto *board = qobject_cast<CDoodleBoard *>(h.window->findChild<QWidget *>(u("1179")));
    ASSERT_NE(board, nullptr);
    QCursor::setPos(0, 0);
    h.window->OnFaceChosen(custom, -1);
    EXPECT_EQ(board->canvas().floatingRect(), QRect(0, 0, 16, 16));
    EXPECT_EQ(QCursor::pos(), board->mapToGlobal(QPoint(8, 8)));
    const QSize builtIn = FaceImageList().at(3).size();
    h.window->OnFaceChosen(QString(), 3);
    EXPECT_EQ(board->canvas().floatingRect(), QRect(QPoint(0, 0), builtIn));
    EXPECT_EQ(QCursor::pos(), board->mapToGlobal(QPoint(builtIn.width() / 2, builtIn.height() / 2)));
    EXPECT_TRUE(h.window->input()->document()->isEmpty());
}

namespace {

// The title and checked item of the menu the window popped up; it is closed.
QString poppedMenu(const QString &choose = QString())
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        return {};
    QString out = menu->title();
    for (QAction *a : menu->actions()) {
        out += a->isChecked() ? u(" ") + a->text() : QString();
        if (a->text() == choose)
            a->trigger();
    }
    menu->close();
    return out;
}

} // namespace

// The board's buttons open the tool menus with the board's values checked,
// the menu key on the board asks for its tool's menu, and a drawing goes
// after the typed text.
TEST(MultiChatDlg, TheDoodleToolsMenusAndADrawingAfterTheText)
{
    WindowFixture f;
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    EXPECT_EQ(f.window->input()->ViewMode(), int(CMsgRichEdit::MultiInputBox)) << "no typing status in its menu";
    f.window->input()->InsertTextWithFaces(u("看这个"), 0);
    f.window->OnModeButton();
    auto *board = f.window->findChild<CDoodleBoard *>(u("1179"));
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(f.window->button(MultiCtl::LineWidth)->text(), u("设置线宽"));

    board->Command(DoodleTool::Rectangle);
    f.window->button(MultiCtl::LineWidth)->click();
    EXPECT_EQ(poppedMenu(u("5")), u("线宽 1"));
    EXPECT_EQ(board->properties().lineWidth, 5);
    f.window->button(MultiCtl::ImageMenu)->click();
    EXPECT_EQ(poppedMenu(), u("图像"));
    board->Command(DoodleTool::Text);
    f.window->button(MultiCtl::LineType)->click();
    EXPECT_EQ(poppedMenu(), QString()) << "the text tool has no line type";
    board->Command(DoodleTool::Spray);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), board->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(board, &key);
    EXPECT_EQ(poppedMenu(), u("喷枪大小 10"));

    board->Command(DoodleTool::Line);
    board->canvas().Press(QPoint(2, 2), Qt::LeftButton);
    board->canvas().Move(QPoint(40, 20));
    board->canvas().Release(QPoint(40, 20));
    f.window->SelectMembers({ f.host(0), f.host(1), f.host(2) });
    f.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return f.peers[1]->received.size() == 1; }));
    const QString body = f.peers[1]->received.last().bodyText();
    EXPECT_TRUE(body.startsWith(u("看这个")) && body.contains(u("<B~"))) << body.toStdString();
    EXPECT_FALSE(board->HasDrawing()) << "the board is cleared";
}

// A send refused while a list is being changed leaves the drawing on the
// board and nothing of it in the input box; the next send takes it once.
TEST(MultiChatDlg, ARefusedSendLeavesTheDrawingOnTheBoard)
{
    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    WindowFixture f;
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->input()->InsertTextWithFaces(u("看这个"), 0);
    f.window->OnModeButton();
    auto *board = f.window->findChild<CDoodleBoard *>(u("1179"));
    ASSERT_NE(board, nullptr);
    board->Command(DoodleTool::Line);
    board->canvas().Press(QPoint(2, 2), Qt::LeftButton);
    board->canvas().Move(QPoint(40, 20));
    board->canvas().Release(QPoint(40, 20));
    const QImage drawn = board->GetBitmap();
    ASSERT_FALSE(drawn.isNull());
    f.window->SelectMembers({ f.host(0), f.host(1), f.host(2) });
    {
        const ListBusyCounter::Raiser busy;
        f.window->OnSend();
    }
    ASSERT_FALSE(prompts.calls().isEmpty());
    EXPECT_EQ(prompts.calls().last().text, u("正忙...正稍候重试!"));
    EXPECT_TRUE(board->HasDrawing());
    EXPECT_EQ(board->GetBitmap(), drawn);
    EXPECT_TRUE(ListObjects(f.window->input()->document()).isEmpty()) << "the drawing left the input box";
    EXPECT_EQ(f.window->input()->toPlainText(), u("看这个"));

    f.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return f.peers[1]->received.size() == 1; }));
    const QString body = f.peers[1]->received.last().bodyText();
    EXPECT_TRUE(body.startsWith(u("看这个"))) << body.toStdString();
    EXPECT_EQ(body.count(u("<B~")), 1) << body.toStdString();
    EXPECT_FALSE(board->HasDrawing());
}

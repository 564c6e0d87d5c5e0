// The chat window's drawing tools through the real window: the doodle mode
// with its buttons and menus, a drawing sent as a picture to the other copy,
// and the screen capture into the input box or onto the board.
#include "LoopbackChat.h"
#include "TestEnv.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"
#include "controls/CColorPaletteCtrl.h"
#include "controls/CImageToolBar.h"
#include "core/BmpFile.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/PictureStore.h"
#include "platform/ScriptedPrompter.h"
#include "remote/CDoodleBoard.h"
#include "remote/CScreenCaptureDlg.h"

#include <QAbstractButton>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using ChatTest::waitFor;

int pictures(const CMsgRichEdit *edit)
{
    int n = 0;
    for (const RichEditObject &object : ListObjects(edit->document()))
        n += object.kind == ObjectKind::Picture;
    return n;
}

void stroke(CDoodleBoard &board, QPoint from, QPoint to)
{
    board.canvas().Press(from, Qt::LeftButton);
    board.canvas().Move(to);
    board.canvas().Release(to);
}

TEST(ChatDrawing, TheDoodleModeSwapsTheInputBoxForTheBoard)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    CChatDlg &w = *a.window;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const int height = w.layout().inputHeight;
    CDoodleBoard *board = w.doodleBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_FALSE(board->isVisible());

    for (int round = 0; round < 2; ++round) {
        w.button(ChatCtl::Doodle)->click();
        EXPECT_TRUE(w.doodleMode());
        EXPECT_EQ(w.button(ChatCtl::Doodle)->text(), u("文字模式"));
        EXPECT_EQ(w.layout().inputHeight, height + 70);
        EXPECT_FALSE(w.input()->isVisible());
        EXPECT_TRUE(board->isVisible());
        EXPECT_TRUE(w.doodlePalette()->isVisible());
        EXPECT_TRUE(w.doodleToolStrip()->isVisible());
        EXPECT_EQ(w.doodlePalette()->geometry().topLeft(), w.layout().rect(ChatCtl::Input).topLeft() + QPoint(0, 2));
        EXPECT_EQ(w.button(ChatCtl::DoodleLineWidth)->x(), 164);
        w.button(ChatCtl::Doodle)->click();
        EXPECT_FALSE(w.doodleMode());
        EXPECT_EQ(w.button(ChatCtl::Doodle)->text(), u("随手涂鸦"));
        EXPECT_EQ(w.layout().inputHeight, height) << "the height it had before, exactly";
        EXPECT_TRUE(w.input()->isVisible());
        EXPECT_FALSE(board->isVisible());
    }

    // The property buttons follow the tool the tool strip chooses.
    w.button(ChatCtl::Doodle)->click();
    QTest::mouseClick(w.doodleToolStrip(), Qt::LeftButton, {}, QPoint(11 * 20 + 10, 10)); // rectangle
    EXPECT_EQ(board->tool(), 12);
    EXPECT_TRUE(w.button(ChatCtl::DoodleFill)->isVisible());
    EXPECT_EQ(w.button(ChatCtl::DoodleLineWidth)->text(), u("线宽"));
    board->Command(2);
    EXPECT_EQ(w.button(ChatCtl::DoodleLineWidth)->text(), u("橡皮宽度"));
    EXPECT_FALSE(w.button(ChatCtl::DoodleLineType)->isVisible());
    EXPECT_FALSE(w.button(ChatCtl::DoodleFill)->isVisible());
    EXPECT_TRUE(w.button(ChatCtl::DoodleImage)->isVisible());
    std::unique_ptr<QMenu> menu(w.CreateDoodleButtonMenu(ChatCtl::DoodleLineWidth));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), u("橡皮宽度"));
    board->Command(7);
    EXPECT_EQ(w.CreateDoodleButtonMenu(ChatCtl::DoodleLineType), nullptr) << "1182 with the text tool: no menu";

    // The colour strip colours the board; the board's picker colours the strip.
    QTest::mouseClick(w.doodlePalette(), Qt::LeftButton, {}, CColorPaletteCtrl::CellRect(16).center());
    EXPECT_EQ(board->foreground(), QColor(Qt::red));
}

TEST(ChatDrawing, ADrawingGoesToThePeerAsAPicture)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    a.config.ShowInputStatus = 1;
    // b takes pictures in as the program does.
    const PictureStore store(b.dir + u("/kwel"));
    IncomingPictures incoming(b.config, store);
    incoming.AttachTo(*b.engine);
    b.sessions->AttachPictures(incoming);
    CChatDlg &w = *a.window;
    w.button(ChatCtl::Doodle)->click();
    CDoodleBoard &board = *w.doodleBoard();
    board.resize(200, 80);

    // Nothing drawn, nothing typed, no files: nothing to send.
    w.OnSend();
    EXPECT_TRUE(a.historyText().contains(u("要发送的图片内容为空。")));
    EXPECT_TRUE(b.received.isEmpty());

    board.Command(10);
    stroke(board, QPoint(10, 10), QPoint(150, 60));
    ASSERT_TRUE(waitFor([&] { return b.dispatched.contains(CMD_TYPING | OPT_DRAWING); }))
        << "the peer hears that the user draws";
    w.OnSend();
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 1; }));
    const QString wire = b.received.first().bodyText();
    EXPECT_TRUE(wire.startsWith(u("/~#>")) && wire.contains(u("<B~"))) << qPrintable(wire);
    EXPECT_FALSE(board.HasDrawing()) << "the board is cleared for the next drawing";
    EXPECT_EQ(pictures(a.window->history()), 1) << "the sender sees the drawing it sent";
    // The picture itself follows and replaces the peer's placeholder.
    ASSERT_TRUE(waitFor([&] { return pictures(b.window->history()) == 1; }, 8000));

    // Text typed before the doodle mode goes along with the drawing, not lost.
    w.button(ChatCtl::Doodle)->click();
    w.input()->InsertTextWithFaces(u("看这里"), 0);
    w.button(ChatCtl::Doodle)->click();
    stroke(board, QPoint(20, 20), QPoint(60, 70));
    // With a selection only the selected part goes, and the board keeps the drawing.
    board.Command(1);
    stroke(board, QPoint(0, 0), QPoint(99, 79));
    w.OnSend();
    ASSERT_TRUE(waitFor([&] { return b.received.size() == 2; }));
    EXPECT_TRUE(b.received.last().bodyText().startsWith(u("看这里/~#>")));
    EXPECT_TRUE(board.HasDrawing());

    // A plain peer cannot take pictures: the history says so and the board keeps the drawing.
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    w.peer()->extension = 0;
    w.OnSend();
    EXPECT_TRUE(prompter.calls().isEmpty());
    EXPECT_TRUE(w.history()->toPlainText().contains(u("无法接收图片或表情信息!")));
    EXPECT_TRUE(board.HasDrawing());
    QTest::qWait(100);
    EXPECT_EQ(b.received.size(), 2) << "nothing went";
}

TEST(ChatDrawing, TheCaptureGoesIntoTheInputBoxOrOntoTheBoard)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    CChatDlg &w = *a.window;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    SetScreenGrabber([] {
        DesktopPicture desktop;
        desktop.image = QImage(300, 200, QImage::Format_RGB32);
        desktop.image.fill(Qt::darkGreen);
        return desktop;
    });
    bool shownDuringCapture = true;
    SetCaptureDialogHook([&](CScreenCaptureDlg &dialog) {
        shownDuringCapture = w.isVisible();
        dialog.setArea(QRect(10, 10, 60, 40));
        dialog.accept();
        return int(dialog.result());
    });

    // "截图时隐藏当前窗口": the window keeps out of the picture.
    a.config.CaptureSrnShowWnd = 0;
    w.button(ChatCtl::Capture)->click();
    EXPECT_FALSE(shownDuringCapture);
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(pictures(w.input()), 1);
    bool animated = false;
    const QList<RichEditObject> objects = ListObjects(w.input()->document());
    EXPECT_EQ(w.input()->GetPictureBitmap(objects.first().userValue, animated).size(), QSize(60, 40));

    // "截图时显示当前窗口", in the doodle mode: the capture floats on the board.
    a.config.CaptureSrnShowWnd = 1;
    w.button(ChatCtl::Doodle)->click();
    w.button(ChatCtl::Capture)->click();
    EXPECT_TRUE(shownDuringCapture);
    EXPECT_EQ(w.doodleBoard()->tool(), 16);
    EXPECT_EQ(w.doodleBoard()->canvas().floatingRect().size(), QSize(60, 40));
    SetCaptureDialogHook({});
    SetScreenGrabber({});

    // A picture file in the doodle mode goes onto the board too.
    const QString file = TestEnv::freshDir(u("doodle-file")) + u("/p.bmp");
    QImage picture(12, 8, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    ASSERT_TRUE(SaveBitmapToFile(picture, file));
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    prompter.queueOpenFile(file);
    w.button(ChatCtl::SendPicture)->click();
    EXPECT_EQ(w.doodleBoard()->canvas().floatingRect().size(), QSize(12, 8));
    EXPECT_EQ(pictures(w.input()), 1) << "not into the hidden input box";

    // So does a face chosen in the picker, built-in or custom.
    w.doodleBoard()->CommitFloating();
    w.OnFaceChosen(QString(), 3);
    EXPECT_EQ(w.doodleBoard()->tool(), 16);
    EXPECT_FALSE(w.doodleBoard()->canvas().floatingRect().isEmpty());
    w.OnFaceChosen(file, -1);
    EXPECT_EQ(w.doodleBoard()->canvas().floatingRect().size(), QSize(12, 8));
    EXPECT_EQ(QCursor::pos(), w.doodleBoard()->mapToGlobal(QPoint(6, 4))) << "the cursor on the face";
    EXPECT_EQ(ListObjects(w.input()->document()).size(), 1) << "no face went into the input box";
}

} // namespace

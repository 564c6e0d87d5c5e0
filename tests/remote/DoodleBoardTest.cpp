// The doodle board window: the mouse, the text tool's edit, the clipboard
// commands, saving and loading pictures; its buttons and menus as the chat
// windows show them.
#include "TestEnv.h"
#include "core/BmpFile.h"
#include "platform/ScriptedPrompter.h"
#include "remote/CDoodleBoard.h"
#include "remote/DoodleMenus.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

struct ShownBoard
{
    ShownBoard()
    {
        board.resize(240, 120);
        board.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&board));
    }
    QRgb at(int x, int y) const { return board.canvas().image().pixel(x, y); }
    CDoodleBoard board;
};

TEST(DoodleBoard, TheMouseDrawsAndTheTextToolEditsInPlace)
{
    ShownBoard b;
    QSignalSpy tools(&b.board, &CDoodleBoard::toolChanged);
    QTest::mousePress(&b.board, Qt::LeftButton, {}, QPoint(10, 60));
    QTest::mouseMove(&b.board, QPoint(60, 60));
    QTest::mouseRelease(&b.board, Qt::LeftButton, {}, QPoint(110, 60));
    EXPECT_EQ(b.at(80, 60), 0xFF000000u) << "a black pencil stroke";
    EXPECT_FALSE(tools.isEmpty());

    // The spray runs while the button is held.
    ASSERT_TRUE(b.board.Command(8));
    QTest::mousePress(&b.board, Qt::LeftButton, {}, QPoint(200, 30));
    const QImage before = b.board.canvas().image();
    QTest::qWait(5 * CDoodleBoard::kSprayMs);
    EXPECT_NE(b.board.canvas().image(), before) << "more paint while held";
    QTest::mouseRelease(&b.board, Qt::LeftButton, {}, QPoint(200, 30));

    ASSERT_TRUE(b.board.Command(7));
    QTest::mouseClick(&b.board, Qt::LeftButton, {}, QPoint(20, 20));
    auto *edit = b.board.findChild<QPlainTextEdit *>(QStringLiteral("doodleText"));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->geometry(), b.board.canvas().textBox());
    QTest::keyClicks(edit, QStringLiteral("Kwel"));
    EXPECT_EQ(b.board.canvas().text(), QStringLiteral("Kwel"));
    b.board.CommitFloating();
    EXPECT_FALSE(edit->isVisible());
    EXPECT_TRUE(edit->toPlainText().isEmpty());
}

TEST(DoodleBoard, ClipboardSaveAndPictureFiles)
{
    ShownBoard b;
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    QImage red(30, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(red);

    ASSERT_TRUE(b.board.Command(16)); // paste: the picture floats
    EXPECT_EQ(b.board.tool(), 16);
    b.board.CommitFloating();
    EXPECT_EQ(b.at(10, 10), QColor(Qt::red).rgb());
    EXPECT_TRUE(b.board.HasDrawing());

    ASSERT_TRUE(b.board.Command(1));
    b.board.canvas().Press(QPoint(0, 0), Qt::LeftButton);
    b.board.canvas().Release(QPoint(9, 9));
    ASSERT_TRUE(b.board.Command(37)); // cut the selection
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(10, 10));
    EXPECT_EQ(b.at(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(b.at(20, 15), QColor(Qt::red).rgb());
    ASSERT_TRUE(b.board.Command(36)); // copy
    EXPECT_EQ(QGuiApplication::clipboard()->image().pixel(5, 5), 0xFFFFFFFFu);

    // Save as: a .bmp gets its extension and reads back.
    const QString path = TestEnv::freshDir(QStringLiteral("doodle-save")) + QStringLiteral("/drawing");
    prompter.queueSaveFile(path);
    ASSERT_TRUE(b.board.Command(35));
    const QImage saved = LoadBitmapFile(path + QStringLiteral(".bmp"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(10, 10)) << "the selection is saved";
    prompter.queueSaveFile(path + QStringLiteral(".jpg"));
    ASSERT_TRUE(b.board.Command(35));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".jpg")));
    // The dialog asked about "drawing"; "drawing.bmp" exists: replaced only on Yes.
    const qsizetype before = prompter.calls().size();
    ASSERT_TRUE(b.board.Command(32)); // invert: another picture
    prompter.queueSaveFile(path);
    prompter.queueButton(Prompter::Button::No);
    b.board.Command(35);
    ASSERT_EQ(prompter.calls().size(), before + 2);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("drawing.bmp 已存在。\n要替换它吗?"));
    EXPECT_EQ(LoadBitmapFile(path + QStringLiteral(".bmp")), saved) << "kept";
    prompter.queueSaveFile(path);
    prompter.queueButton(Prompter::Button::Yes);
    ASSERT_TRUE(b.board.Command(35));
    EXPECT_NE(LoadBitmapFile(path + QStringLiteral(".bmp")), saved) << "replaced";

    // A picture file is placed floating; an unreadable one is refused.
    ASSERT_TRUE(b.board.Command(6));
    EXPECT_TRUE(b.board.LoadPictureFile(path + QStringLiteral(".bmp")));
    EXPECT_EQ(b.board.tool(), 16);
    EXPECT_EQ(b.board.canvas().floatingRect().size(), QSize(10, 10));
    EXPECT_FALSE(b.board.LoadPictureFile(path + QStringLiteral(".missing")));
}

TEST(DoodleMenus, ButtonsAndMenusFollowTheTool)
{
    using namespace DoodleButton;
    EXPECT_TRUE(DoodlePropertyButtons(1).isEmpty());
    EXPECT_TRUE(DoodlePropertyButtons(16).isEmpty());
    const QList<DoodlePropertyButton> shapes = DoodlePropertyButtons(12);
    ASSERT_EQ(shapes.size(), 3);
    EXPECT_EQ(shapes[0].id, LineWidth);
    EXPECT_EQ(shapes[2].caption, u("填充模式"));
    const QList<DoodlePropertyButton> eraser = DoodlePropertyButtons(2);
    ASSERT_EQ(eraser.size(), 1);
    EXPECT_EQ(eraser[0].caption, u("橡皮宽度"));
    EXPECT_EQ(DoodlePropertyButtons(6)[1].caption, u("设置线型"));
    EXPECT_EQ(DoodlePropertyButtons(7)[0].caption, u("透明模式"));

    // The sub-menus: ids, codes and values as the windows send them.
    const auto width = DoodlePropertyMenu(LineWidth, 10);
    ASSERT_TRUE(width);
    EXPECT_EQ(width->title, u("线宽"));
    ASSERT_EQ(width->items.size(), 10);
    EXPECT_EQ(width->items[9].id, 32890);
    EXPECT_EQ(width->items[9].value, 10);
    EXPECT_EQ(DoodlePropertyMenu(LineWidth, 5)->items[3].value, 10) << "brush widths 2,4,8,10,15,20";
    EXPECT_EQ(DoodlePropertyMenu(LineWidth, 2)->items.last().id, 32865);
    EXPECT_EQ(DoodlePropertyMenu(LineType, 6)->items.first().id, 32903);
    EXPECT_EQ(DoodlePropertyMenu(LineType, 5)->items[5].text, QStringLiteral("NULL"));
    const auto fill = DoodlePropertyMenu(Fill, 14);
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->items[3].id, 33107);
    EXPECT_EQ(fill->items[3].value, 4);
    EXPECT_FALSE(DoodlePropertyMenu(LineType, 7)) << "no menu for 1182 while the text tool is current";
    EXPECT_FALSE(DoodlePropertyMenu(Fill, 6));
    EXPECT_EQ(DoodleImageMenu().items.size(), 11);

    // The menu checks the board's value; an item sends its command.
    CDoodleBoard board;
    ASSERT_TRUE(board.Command(12));
    std::unique_ptr<QMenu> menu(CreateDoodleMenu(nullptr, &board, LineWidth));
    ASSERT_TRUE(menu);
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 10);
    EXPECT_TRUE(actions[0]->isChecked()) << "line width 1";
    actions[4]->trigger();
    EXPECT_EQ(board.properties().lineWidth, 5);
    ASSERT_TRUE(board.Command(7));
    EXPECT_EQ(CreateDoodleMenu(nullptr, &board, LineType), nullptr);
}

} // namespace

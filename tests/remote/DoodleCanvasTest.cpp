// The doodle board's picture without a window: one test per family of tools,
// drawing into the picture with the mouse in picture coordinates, with undo
// and redo, and the commands on the picture.
#include "remote/DoodleCanvas.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

struct Board
{
    Board()
    {
        canvas.Resize(QSize(200, 100));
        canvas.SetColors(QColor(kRed), QColor(kBlue));
    }
    QRgb at(int x, int y) const { return canvas.image().pixel(x, y); }
    void stroke(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        canvas.Press(from, button);
        canvas.Move((from + to) / 2);
        canvas.Release(to);
    }
    int count(QRgb color, const QRect &area) const
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += at(x, y) == color;
        return n;
    }

    DoodleCanvas canvas;
};

TEST(DoodleCanvas, FreehandToolsDrawAndUndoRedoStepByStep)
{
    Board b;
    QSignalSpy undoState(&b.canvas, &DoodleCanvas::undoStateChanged);
    QSignalSpy tools(&b.canvas, &DoodleCanvas::toolChanged);
    EXPECT_EQ(b.canvas.tool(), DoodleTool::Pencil);
    EXPECT_FALSE(b.canvas.HasDrawing());
    EXPECT_TRUE(b.canvas.Picture().isNull()) << "an empty board has no picture";

    b.stroke(QPoint(10, 50), QPoint(110, 50));
    EXPECT_EQ(b.at(60, 50), kRed);
    EXPECT_EQ(b.at(60, 52), kWhite) << "the pencil is one pixel wide";
    EXPECT_TRUE(b.canvas.HasDrawing());
    ASSERT_FALSE(tools.isEmpty()) << "the window hears that the user draws";
    EXPECT_EQ(tools.last().first().toInt(), int(DoodleTool::Pencil));

    // The brush in its width, with the right button in the background colour.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Brush));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::BrushWidth, 10));
    b.stroke(QPoint(10, 20), QPoint(110, 20), Qt::RightButton);
    EXPECT_EQ(b.at(60, 24), kBlue);
    EXPECT_EQ(b.at(60, 30), kWhite);

    // A null pencil draws nothing; a dashed one leaves gaps.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Pencil));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::PencilType, 5));
    b.stroke(QPoint(10, 80), QPoint(190, 80));
    EXPECT_EQ(b.count(kRed, QRect(10, 80, 181, 1)), 0);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::PencilType, 1));
    b.stroke(QPoint(10, 90), QPoint(190, 90));
    const int dashed = b.count(kRed, QRect(10, 90, 181, 1));
    EXPECT_GT(dashed, 60);
    EXPECT_LT(dashed, 181);

    // Undo goes back one stroke at a time, redo forward again.
    EXPECT_TRUE(b.canvas.CanUndo());
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.count(kRed, QRect(10, 90, 181, 1)), 0);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(60, 24), kWhite);
    EXPECT_EQ(b.at(60, 50), kRed);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(60, 50), kWhite);
    EXPECT_FALSE(b.canvas.HasDrawing()) << "undone to the empty board";
    EXPECT_FALSE(b.canvas.CanUndo());
    EXPECT_EQ(undoState.last(), (QList<QVariant>{false, true}));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Redo));
    EXPECT_EQ(b.at(60, 50), kRed);
    EXPECT_TRUE(b.canvas.HasDrawing());
    // A new stroke ends the redo chain.
    b.stroke(QPoint(5, 5), QPoint(6, 6));
    EXPECT_FALSE(b.canvas.CanRedo());
}

TEST(DoodleCanvas, ShapesTakeTheirLineAndFillModes)
{
    Board b;
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Rectangle));
    b.stroke(QPoint(10, 10), QPoint(60, 60));
    EXPECT_EQ(b.at(10, 35), kRed) << "border only";
    EXPECT_EQ(b.at(35, 35), kWhite);

    ASSERT_TRUE(b.canvas.Command(DoodleCmd::FillType, DoodleFill::Both));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::LineWidth, 3));
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Ellipse));
    b.stroke(QPoint(70, 10), QPoint(130, 70));
    EXPECT_EQ(b.at(100, 40), kBlue) << "filled with the background colour";
    EXPECT_EQ(b.at(100, 11), kRed) << "bordered in the foreground colour";

    ASSERT_TRUE(b.canvas.Command(DoodleCmd::FillType, DoodleFill::Horizontal));
    ASSERT_TRUE(b.canvas.Command(DoodleTool::RoundRect));
    b.stroke(QPoint(140, 10), QPoint(199, 90));
    const QColor left = QColor::fromRgb(b.at(143, 50)), right = QColor::fromRgb(b.at(196, 50));
    EXPECT_GT(left.red(), left.blue()) << "the gradient starts in the foreground colour";
    EXPECT_GT(right.blue(), right.red()) << "and ends in the background colour";
    // Each shape is one step back and forth.
    const QImage shapes = b.canvas.image();
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(170, 50), kWhite);
    EXPECT_EQ(b.at(100, 40), kBlue) << "only the last shape went";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Redo));
    EXPECT_EQ(b.canvas.image(), shapes);

    // Values a property does not take are refused.
    EXPECT_FALSE(b.canvas.Command(DoodleCmd::LineWidth, 11));
    EXPECT_FALSE(b.canvas.Command(DoodleCmd::FillType, 0));
    EXPECT_FALSE(b.canvas.Command(DoodleCmd::LineType, 7));
    EXPECT_EQ(b.canvas.properties().lineWidth, 3);
    EXPECT_EQ(b.canvas.properties().value(DoodleCmd::FillType), int(DoodleFill::Horizontal));
}

TEST(DoodleCanvas, LinesArrowsPolygonsAndCurves)
{
    Board b;
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Line));
    b.canvas.Press(QPoint(10, 10), Qt::LeftButton);
    b.canvas.Move(QPoint(90, 10));
    EXPECT_EQ(b.at(50, 10), kWhite) << "a line is only drawn when released";
    b.canvas.Release(QPoint(90, 10));
    EXPECT_EQ(b.at(50, 10), kRed);

    ASSERT_TRUE(b.canvas.Command(DoodleTool::Arrow));
    b.stroke(QPoint(10, 40), QPoint(90, 40));
    EXPECT_GT(b.count(kRed, QRect(78, 32, 12, 6)), 0) << "the arrow's head";
    EXPECT_EQ(b.count(kRed, QRect(10, 32, 12, 6)), 0) << "only at its end";

    // A polygon: a click per corner, a double click closes it.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Polygon));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::FillType, DoodleFill::Inside));
    for (const QPoint corner : {QPoint(110, 10), QPoint(190, 10), QPoint(150, 90)}) {
        b.canvas.Press(corner, Qt::LeftButton);
        b.canvas.Release(corner);
    }
    EXPECT_EQ(b.at(150, 30), kWhite);
    b.canvas.DoubleClick(QPoint(150, 90));
    EXPECT_EQ(b.at(150, 30), kRed) << "filled with the line colour";

    // A curve: the line, then two bends.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Curve));
    b.stroke(QPoint(10, 90), QPoint(90, 90));
    EXPECT_EQ(b.at(50, 90), kWhite) << "not drawn before it is bent twice";
    b.stroke(QPoint(50, 60), QPoint(50, 60));
    b.stroke(QPoint(50, 60), QPoint(50, 60));
    EXPECT_EQ(b.at(50, 90), kWhite) << "the curve left its straight line";
    EXPECT_LT(b.count(kWhite, QRect(45, 60, 10, 20)), 200) << "drawn smooth, near its bends";
    // The curve is one step, not three; the polygon the one before it.
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.count(kRed, QRect(0, 55, 100, 45)), 0);
    EXPECT_EQ(b.at(150, 30), kRed);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(150, 30), kWhite);
    EXPECT_EQ(b.at(50, 10), kRed);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Redo));
    EXPECT_EQ(b.at(150, 30), kRed);
}

TEST(DoodleCanvas, FillPickEraseAndSpray)
{
    Board b;
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Rectangle));
    b.stroke(QPoint(10, 10), QPoint(50, 50));
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Fill));
    b.stroke(QPoint(30, 30), QPoint(30, 30), Qt::RightButton);
    EXPECT_EQ(b.at(30, 30), kBlue);
    EXPECT_EQ(b.at(11, 11), kBlue);
    EXPECT_EQ(b.at(60, 60), kWhite) << "the fill stops at the border";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(30, 30), kWhite);
    EXPECT_EQ(b.at(10, 30), kRed) << "the border stays";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Redo));
    EXPECT_EQ(b.at(30, 30), kBlue);

    // The picker takes a colour and goes back to the tool it came from.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::ColorPicker));
    QSignalSpy colors(&b.canvas, &DoodleCanvas::colorsChanged);
    b.stroke(QPoint(30, 30), QPoint(30, 30));
    EXPECT_EQ(b.canvas.foreground().rgb(), kBlue);
    EXPECT_EQ(colors.size(), 1);
    EXPECT_EQ(b.canvas.tool(), DoodleTool::Fill);

    ASSERT_TRUE(b.canvas.Command(DoodleTool::Eraser));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::EraserWidth, 8));
    b.canvas.SetColors(QColor(kRed), QColor(Qt::white));
    b.stroke(QPoint(20, 30), QPoint(40, 30));
    EXPECT_EQ(b.at(30, 30), kWhite);
    EXPECT_EQ(b.at(30, 40), kBlue);

    // The spray scatters dots within its size only.
    QRandomGenerator random(7);
    b.canvas.setRandom(&random);
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Spray));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::SpraySize, 10));
    b.canvas.Press(QPoint(150, 50), Qt::LeftButton);
    for (int i = 0; i < 5; ++i)
        b.canvas.SprayTick();
    b.canvas.Release(QPoint(150, 50));
    EXPECT_GT(b.count(kRed, QRect(140, 40, 21, 21)), 20);
    EXPECT_EQ(b.count(kRed, QRect(100, 0, 100, 100)) - b.count(kRed, QRect(139, 39, 23, 23)), 0);
    EXPECT_FALSE(b.canvas.isSpraying());
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.count(kRed, QRect(140, 40, 21, 21)), 0) << "one spray is one step";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(30, 30), kBlue) << "the eraser's stroke undone";
}

TEST(DoodleCanvas, TextBoxIsRenderedWhenCommitted)
{
    Board b;
    QSignalSpy boxes(&b.canvas, &DoodleCanvas::textBoxChanged);
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Text));
    b.stroke(QPoint(20, 20), QPoint(20, 20)); // a click: a box of the default size
    ASSERT_TRUE(b.canvas.hasTextBox());
    EXPECT_EQ(b.canvas.textBox(), QRect(QPoint(20, 20), DoodleCanvas::kDefaultTextBox));
    EXPECT_FALSE(boxes.isEmpty());

    // An empty box leaves nothing.
    b.canvas.CommitFloating();
    EXPECT_FALSE(b.canvas.hasTextBox());
    EXPECT_FALSE(b.canvas.HasDrawing());

    QFont font;
    font.setPixelSize(16);
    b.canvas.SetTextFont(font, QColor(kRed));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::TextFill, 2));
    b.stroke(QPoint(10, 10), QPoint(150, 60));
    b.canvas.SetText(QStringLiteral("Hi 你好"));
    // Choosing another tool commits the text: opaque, on the background colour.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Pencil));
    EXPECT_FALSE(b.canvas.hasTextBox());
    EXPECT_TRUE(b.canvas.HasDrawing());
    EXPECT_GT(b.count(kRed, QRect(10, 10, 140, 50)), 10);
    EXPECT_EQ(b.at(140, 55), kBlue) << "mode 2 fills the box";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_EQ(b.at(140, 55), kWhite);
}

TEST(DoodleCanvas, SelectionFloatingPicturesAndImageCommands)
{
    Board b;
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Rectangle));
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::FillType, DoodleFill::Inside));
    b.stroke(QPoint(0, 0), QPoint(20, 99)); // a red band at the left

    ASSERT_TRUE(b.canvas.Command(DoodleCmd::FlipHorizontal));
    EXPECT_EQ(b.at(10, 50), kWhite);
    EXPECT_EQ(b.at(190, 50), kRed) << "the whole picture flips without a selection";
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Restore));
    EXPECT_EQ(b.at(10, 50), kRed) << "restore is one undo";

    // With a selection the commands work on it alone, and the picture is its content.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Select));
    b.stroke(QPoint(0, 0), QPoint(40, 40));
    ASSERT_TRUE(b.canvas.HasSelection());
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Invert));
    EXPECT_EQ(b.at(10, 10), 0xFF00FFFFu);
    EXPECT_EQ(b.at(10, 60), kRed);
    EXPECT_EQ(b.canvas.Picture().size(), QSize(41, 41)) << "the drag's corners are in the selection";

    // Stretching spreads the selection over the width of the board.
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::StretchHorizontal));
    EXPECT_EQ(b.canvas.selection().width(), 200);
    EXPECT_EQ(b.at(10, 10), 0xFF00FFFFu);
    EXPECT_EQ(b.at(150, 10), 0xFF000000u) << "the inverted white right half of the selection, stretched";

    // Choosing a tool drops the selection; a floating picture moves until committed.
    ASSERT_TRUE(b.canvas.Command(DoodleTool::Pencil));
    EXPECT_FALSE(b.canvas.HasSelection());
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    b.canvas.PutBitmap(green, true);
    EXPECT_EQ(b.canvas.tool(), DoodleTool::Floating);
    b.stroke(QPoint(5, 5), QPoint(105, 55)); // dragged by its inside
    EXPECT_EQ(b.canvas.floatingRect().topLeft(), QPoint(100, 50));
    b.canvas.CommitFloating();
    EXPECT_EQ(b.at(105, 55), QColor(Qt::green).rgb());
    EXPECT_EQ(b.canvas.tool(), DoodleTool::Pencil);

    // Clearing empties the board; it can be undone.
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Clear));
    EXPECT_FALSE(b.canvas.HasDrawing());
    EXPECT_EQ(b.count(kWhite, QRect(0, 0, 200, 100)), 200 * 100);
    ASSERT_TRUE(b.canvas.Command(DoodleCmd::Undo));
    EXPECT_TRUE(b.canvas.HasDrawing());

    // The undo steps are bounded.
    for (int i = 0; i < DoodleCanvas::kUndoDepth + 10; ++i)
        b.stroke(QPoint(i, 0), QPoint(i, 5));
    int undone = 0;
    while (b.canvas.Command(DoodleCmd::Restore))
        ++undone;
    EXPECT_EQ(undone, DoodleCanvas::kUndoDepth);
}

TEST(DoodleCanvas, TheBoardGrowsWithoutLosingTheDrawing)
{
    Board b;
    b.stroke(QPoint(150, 50), QPoint(190, 50));
    b.canvas.Resize(QSize(100, 50));
    EXPECT_EQ(b.canvas.Picture().size(), QSize(100, 50)) << "the picture is what the board shows";
    b.canvas.Resize(QSize(300, 120));
    EXPECT_EQ(b.at(170, 50), kRed) << "a smaller board kept what it no longer showed";
    EXPECT_EQ(b.at(250, 110), kWhite);
}

} // namespace

// The doodle board's colour strip and tool strip.
#include "controls/CColorPaletteCtrl.h"
#include "controls/CImageToolBar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ColorPalette, CellsPickForegroundAndBackgroundAndEditOnDoubleClick)
{
    // Two rows of 14 cells right of the current colours.
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(5, 5)), -1);
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(20, 0)), 0);
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(159, 9)), 13);
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(20, 10)), 14);
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(159, 19)), 27);
    EXPECT_EQ(CColorPaletteCtrl::CellAt(QPoint(165, 5)), -1);
    for (int i = 0; i < CColorPaletteCtrl::kCells; ++i)
        ASSERT_EQ(CColorPaletteCtrl::CellAt(CColorPaletteCtrl::CellRect(i).center()), i);

    CColorPaletteCtrl palette;
    palette.resize(CColorPaletteCtrl::kSize);
    QSignalSpy chosen(&palette, &CColorPaletteCtrl::colorsChanged);
    const QPoint red = CColorPaletteCtrl::CellRect(16).center();
    QTest::mouseClick(&palette, Qt::LeftButton, {}, red);
    EXPECT_EQ(palette.foreground(), QColor(Qt::red));
    QTest::mouseClick(&palette, Qt::RightButton, {}, CColorPaletteCtrl::CellRect(20).center());
    EXPECT_EQ(palette.background(), QColor(Qt::blue));
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen.last().at(1).value<QColor>(), QColor(Qt::blue));

    // Editing a cell: the chosen colour replaces it; a cancel keeps it.
    CColorPaletteCtrl::SetColorChooser([](QWidget *, const QColor &) { return QColor(1, 2, 3); });
    QTest::mouseDClick(&palette, Qt::LeftButton, {}, red);
    EXPECT_EQ(palette.cellColor(16), QColor(1, 2, 3));
    EXPECT_EQ(palette.foreground(), QColor(1, 2, 3));
    CColorPaletteCtrl::SetColorChooser([](QWidget *, const QColor &) { return QColor(); });
    QTest::mouseDClick(&palette, Qt::LeftButton, {}, CColorPaletteCtrl::CellRect(0).center());
    EXPECT_EQ(palette.cellColor(0), QColor(Qt::black));
    CColorPaletteCtrl::SetColorChooser({});
}

TEST(ImageToolBar, ButtonsSendTheirCommandsAndUndoIsGreyedUntilAvailable)
{
    EXPECT_EQ(CImageToolBar::CommandOf(0), 1);
    EXPECT_EQ(CImageToolBar::CommandOf(14), 15);
    EXPECT_EQ(CImageToolBar::CommandOf(15), 17);
    EXPECT_EQ(CImageToolBar::CommandOf(16), 18);
    EXPECT_EQ(CImageToolBar::ButtonAt(QPoint(339, 10)), 16);
    EXPECT_EQ(CImageToolBar::ButtonAt(QPoint(340, 10)), -1);
    EXPECT_EQ(CImageToolBar::TipOf(12), QString::fromUtf8("多边形"));

    CImageToolBar bar;
    bar.resize(bar.sizeHint());
    QSignalSpy commands(&bar, &CImageToolBar::commandChosen);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(5 * 20 + 10, 10));
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands.last().first().toInt(), 6);
    // Undo does nothing while there is nothing to undo.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(15 * 20 + 10, 10));
    EXPECT_EQ(commands.size(), 1);
    bar.SetUndoState(true, false);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(15 * 20 + 10, 10));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(16 * 20 + 10, 10));
    ASSERT_EQ(commands.size(), 2);
    EXPECT_EQ(commands.last().first().toInt(), 17);
}

} // namespace

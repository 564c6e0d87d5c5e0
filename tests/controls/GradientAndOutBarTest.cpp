#include "controls/CGfxOutBarCtrl.h"
#include "controls/FillGradientRect.h"
#include "controls/OutBarLayout.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QImage filled(int w, int h, const QColor &c1, const QColor &c2, int mode)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    FillGradientRect(painter, QRect(0, 0, w, h), c1, c2, mode);
    return image;
}

int redAt(const QImage &image, int x, int y)
{
    return qRed(image.pixel(x, y));
}

TEST(FillGradientRect, PositionsOfTheThreeModes)
{
    // Horizontal and vertical: 0 at the first column / row, 1 at the last.
    EXPECT_DOUBLE_EQ(GradientPosition(0, 101, 10, 0, 5), 0.0);
    EXPECT_DOUBLE_EQ(GradientPosition(0, 101, 10, 50, 5), 0.5);
    EXPECT_DOUBLE_EQ(GradientPosition(0, 101, 10, 100, 9), 1.0);
    EXPECT_DOUBLE_EQ(GradientPosition(1, 10, 101, 9, 50), 0.5);
    EXPECT_DOUBLE_EQ(GradientPosition(1, 1, 1, 0, 0), 0.0) << "a single pixel takes colour 1";
    // Diamond: colour 1 at every corner, colour 2 in the centre, mirrored.
    const int w = 40, h = 20;
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_DOUBLE_EQ(GradientPosition(2, w, h, x, y), 0.0) << x << "," << y;
    EXPECT_DOUBLE_EQ(GradientPosition(2, w, h, w / 2 - 1, h / 2 - 1), 1.0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            EXPECT_DOUBLE_EQ(GradientPosition(2, w, h, x, y), GradientPosition(2, w, h, w - 1 - x, y));
            EXPECT_DOUBLE_EQ(GradientPosition(2, w, h, x, y), GradientPosition(2, w, h, x, h - 1 - y));
        }
    }
    EXPECT_EQ(MixColors(QColor(0, 0, 0), QColor(200, 100, 50), 0.5), QColor(100, 50, 25));
    EXPECT_EQ(MixColors(QColor(0, 0, 0), QColor(200, 100, 50), 7.0), QColor(200, 100, 50));
}

TEST(FillGradientRect, FillsTheWholeRectangle)
{
    const QColor black(0, 0, 0), white(255, 255, 255);
    const QImage horizontal = filled(64, 8, black, white, 0);
    EXPECT_LT(redAt(horizontal, 0, 4), 10);
    EXPECT_GT(redAt(horizontal, 63, 4), 245);
    EXPECT_EQ(redAt(horizontal, 10, 0), redAt(horizontal, 10, 7));

    const QImage vertical = filled(8, 64, black, white, 1);
    EXPECT_LT(redAt(vertical, 4, 0), 10);
    EXPECT_GT(redAt(vertical, 4, 63), 245);

    // Odd sizes leave no pixel unpainted (the black background).
    const QImage diamond = filled(33, 17, white, QColor(0, 0, 200), 2);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x)
            ASSERT_NE(diamond.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }
    EXPECT_GT(redAt(diamond, 0, 0), 240);
    EXPECT_GT(redAt(diamond, 32, 16), 200);
    EXPECT_LT(redAt(diamond, 16, 8), 20);

    // Equal colours: one solid fill; any mode beyond 2 is vertical.
    const QImage solid = filled(9, 9, QColor(10, 20, 30), QColor(10, 20, 30), 2);
    EXPECT_EQ(solid.pixel(0, 0), solid.pixel(4, 4));
    EXPECT_EQ(filled(8, 64, black, white, 7), vertical);
}

TEST(OutBarLayout, ButtonsAroundTheOpenPage)
{
    const OutBarLayout middle = ComputeOutBarLayout(QSize(200, 400), 3, 1, 22);
    ASSERT_EQ(middle.buttons.size(), 3);
    EXPECT_EQ(middle.buttons[0], QRect(0, 0, 200, 22));
    EXPECT_EQ(middle.buttons[1], QRect(0, 22, 200, 22));
    EXPECT_EQ(middle.buttons[2], QRect(0, 378, 200, 22));
    EXPECT_EQ(middle.page, QRect(0, 44, 200, 334));
    EXPECT_EQ(middle.folderAt(QPoint(5, 30)), 1);
    EXPECT_EQ(middle.folderAt(QPoint(5, 390)), 2);
    EXPECT_EQ(middle.folderAt(QPoint(5, 100)), -1);

    const OutBarLayout last = ComputeOutBarLayout(QSize(200, 400), 3, 2, 22);
    EXPECT_EQ(last.buttons[2], QRect(0, 44, 200, 22));
    EXPECT_EQ(last.page, QRect(0, 66, 200, 334));

    // Too little height: the lower buttons never climb over the upper ones
    // and the page never gets a negative size.
    const OutBarLayout cramped = ComputeOutBarLayout(QSize(200, 30), 3, 0, 22);
    EXPECT_EQ(cramped.buttons[1].top(), 22);
    EXPECT_EQ(cramped.buttons[2].top(), 44);
    EXPECT_EQ(cramped.page.height(), 0);

    // A selection out of range is clamped; no folders: the page is all.
    EXPECT_EQ(ComputeOutBarLayout(QSize(200, 400), 3, 9, 22).page, last.page);
    EXPECT_EQ(ComputeOutBarLayout(QSize(200, 400), 0, 0, 22).page, QRect(0, 0, 200, 400));

    const OutBarLayout half = BlendOutBarLayouts(middle, last, 0.5);
    EXPECT_EQ(half.buttons[2].top(), (378 + 44) / 2);
    EXPECT_EQ(BlendOutBarLayouts(middle, last, 1.0).page, last.page);
}

TEST(CGfxOutBarCtrl, FoldersPagesAndClicks)
{
    CGfxOutBarCtrl bar;
    bar.resize(200, 400);
    auto *a = new QLabel(QStringLiteral("a"));
    auto *b = new QLabel(QStringLiteral("b"));
    EXPECT_EQ(bar.AddFolder(QStringLiteral("一"), a), 0);
    EXPECT_EQ(bar.AddFolder(QStringLiteral("二"), b), 1);
    EXPECT_EQ(a->parent(), &bar);
    bar.show();
    EXPECT_EQ(bar.GetSelFolder(), 0);
    EXPECT_TRUE(a->isVisible());
    EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(a->geometry(), QRect(0, 22, 200, 356));

    QSignalSpy changed(&bar, &CGfxOutBarCtrl::folderChanged);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 390), QPointF(10, 390), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &press);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 1);
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(a->isVisible());
    EXPECT_EQ(b->geometry(), QRect(0, 44, 200, 356));

    bar.SetSelFolder(1);
    bar.SetSelFolder(5);
    EXPECT_EQ(changed.size(), 1) << "the open folder and a bad index change nothing";
    EXPECT_TRUE(bar.SetFolderText(0, QStringLiteral("蓝雀Kwel(在线人数: 3)")));
    EXPECT_EQ(bar.GetFolderText(0), QStringLiteral("蓝雀Kwel(在线人数: 3)"));
    EXPECT_FALSE(bar.SetFolderText(2, QStringLiteral("x")));
    EXPECT_EQ(bar.GetFolderText(-1), QString());

    bar.SetSkinColors(Qt::red, Qt::green, Qt::blue, Qt::yellow);
    EXPECT_EQ(bar.skinColor(0), QColor(Qt::red));
    EXPECT_EQ(bar.skinColor(3), QColor(Qt::yellow));
    EXPECT_FALSE(bar.grab().isNull());

    // A page that goes away leaves its folder without a page.
    delete a;
    EXPECT_EQ(bar.GetFolderPage(0), nullptr);
    bar.SetSelFolder(0);
    EXPECT_EQ(bar.GetSelFolder(), 0);
}

} // namespace

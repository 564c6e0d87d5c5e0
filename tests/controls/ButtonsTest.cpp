#include "controls/CHoverButton.h"
#include "controls/CHyperLinkStatic.h"
#include "controls/CImageButton.h"
#include "controls/CSplitterBar.h"
#include "platform/DesktopServices.h"

#include <QTextDocumentFragment>
#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QImage picture(const QColor &fill, const QColor &spot)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(fill);
    image.setPixel(3, 3, spot.rgb());
    return image;
}

void mouse(QWidget &w, QEvent::Type type, QPoint local, QPoint global = QPoint())
{
    QMouseEvent event(type, QPointF(local), QPointF(global.isNull() ? w.mapToGlobal(local) : global),
        Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

TEST(CImageButton, PicturesMasksAndColours)
{
    CImageButton button;
    EXPECT_EQ(button.SetBitmaps(QImage(), Qt::red, picture(Qt::red, Qt::blue), Qt::red), CImageButton::InvalidBitmap);
    EXPECT_EQ(button.SetBitmaps(picture(Qt::red, Qt::blue), Qt::red, QImage(), Qt::red), CImageButton::InvalidBitmap);
    EXPECT_TRUE(button.pictureFor(false, true).isNull()) << "a refused call changes nothing";

    ASSERT_EQ(button.SetBitmaps(picture(Qt::red, Qt::blue), Qt::red, picture(Qt::green, Qt::yellow), Qt::green),
        CImageButton::Ok);
    // The transparent colour is left out, the rest stays.
    const QImage hover = button.pictureFor(false, true).toImage();
    EXPECT_EQ(qAlpha(hover.pixel(0, 0)), 0);
    EXPECT_EQ(hover.pixel(3, 3), QColor(Qt::blue).rgb());
    // Without a normal picture the hover picture stands for it; pressed wins.
    EXPECT_EQ(button.pictureFor(false, false).toImage(), hover);
    EXPECT_EQ(qAlpha(button.pictureFor(true, true).toImage().pixel(0, 0)), 0);
    EXPECT_EQ(button.pictureFor(true, true).toImage().pixel(3, 3), QColor(Qt::yellow).rgb());
    EXPECT_EQ(button.sizeHint(), QSize(8, 8));

    ASSERT_EQ(button.SetBitmaps(picture(Qt::red, Qt::blue), Qt::red, picture(Qt::green, Qt::blue), Qt::green,
                  picture(Qt::white, Qt::black), Qt::white),
        CImageButton::Ok);
    EXPECT_EQ(button.pictureFor(false, false).toImage().pixel(3, 3), QColor(Qt::black).rgb());

    EXPECT_EQ(button.SetColor(CImageButton::BkOut, QColor(0xE8, 0xE8, 0xFF)), CImageButton::Ok);
    EXPECT_EQ(button.GetColor(CImageButton::BkOut), QColor(0xE8, 0xE8, 0xFF));
    EXPECT_EQ(button.SetColor(6, Qt::red), CImageButton::BadIndex);
    EXPECT_EQ(button.SetColor(-1, Qt::red), CImageButton::BadIndex);
    EXPECT_FALSE(button.GetColor(6).isValid());
}

TEST(CHyperLinkStatic, OpensAddressesOnlyThroughTheDesktop)
{
    RecordingDesktopServices desktop;
    DesktopServicesScope scope(desktop);
    CHyperLinkStatic link(QStringLiteral("百度搜索"), QStringLiteral("https://www.baidu.com/s?wd=kwel"));
    link.resize(link.sizeHint());
    EXPECT_EQ(QTextDocumentFragment::fromHtml(link.toolTip()).toPlainText(), QStringLiteral("https://www.baidu.com/s?wd=kwel"));
    EXPECT_EQ(link.currentColor(), QColor(0, 0, 255));
    QSignalSpy clicked(&link, &CHyperLinkStatic::clicked);
    mouse(link, QEvent::MouseButtonRelease, QPoint(2, 2));
    EXPECT_EQ(clicked.size(), 1);
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].toString(), QStringLiteral("https://www.baidu.com/s?wd=kwel"));
    EXPECT_TRUE(link.isVisited());
    EXPECT_EQ(link.currentColor(), QColor(128, 0, 128));

    // A command line is nothing the desktop gets to see.
    CHyperLinkStatic command(QStringLiteral("x"), QStringLiteral("rm -rf ~"));
    EXPECT_FALSE(command.Open());
    EXPECT_FALSE(command.isVisited());
    EXPECT_EQ(desktop.opened.size(), 1);
}

TEST(CHoverButton, HoverAndColours)
{
    CHoverButton button(QStringLiteral("发送"));
    button.resize(button.sizeHint());
    EXPECT_GE(button.sizeHint().width(), 24);
    EXPECT_FALSE(button.isHovered());
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_FALSE(button.grab().isNull());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isHovered());
}

TEST(CSplitterBar, ReportsTheDragAndOneReleasePoint)
{
    QWidget owner;
    CSplitterBar bar(&owner);
    bar.setGeometry(0, 50, 200, 4);
    EXPECT_TRUE(bar.isHorizontal());
    EXPECT_EQ(bar.cursor().shape(), Qt::SizeVerCursor);
    QSignalSpy dragged(&bar, &CSplitterBar::dragged);

    mouse(bar, QEvent::MouseMove, QPoint(5, 1));
    EXPECT_EQ(dragged.size(), 0) << "moving without the button down is no drag";
    mouse(bar, QEvent::MouseButtonPress, QPoint(5, 1));
    EXPECT_TRUE(bar.isDragging());
    mouse(bar, QEvent::MouseMove, QPoint(5, 10), QPoint(105, 210));
    mouse(bar, QEvent::MouseMove, QPoint(5, 20), QPoint(105, 220));
    mouse(bar, QEvent::MouseButtonRelease, QPoint(5, 20));
    mouse(bar, QEvent::MouseButtonRelease, QPoint(5, 20));
    ASSERT_EQ(dragged.size(), 3);
    EXPECT_EQ(dragged[0][0].toPoint(), QPoint(105, 210));
    EXPECT_EQ(dragged[1][0].toPoint(), QPoint(105, 220));
    EXPECT_EQ(dragged[2][0].toPoint(), QPoint(-1, -1));
    EXPECT_TRUE(dragged[2][1].toBool());
    EXPECT_FALSE(bar.isDragging());

    bar.SetHorizontal(false);
    EXPECT_EQ(bar.cursor().shape(), Qt::SizeHorCursor);
    bar.SetBarColor(Qt::blue);
    EXPECT_EQ(bar.grab().toImage().pixel(1, 1), QColor(Qt::blue).rgb());
}

} // namespace

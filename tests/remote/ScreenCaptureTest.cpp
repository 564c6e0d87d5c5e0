// The screen capture: when the desktop can be read, the area the user drags
// out of the grabbed picture, and how the capturing window keeps out of it.
#include "remote/CScreenCaptureDlg.h"
#include "remote/CVoiceSession.h"
#include "net/RemoteRequests.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

DesktopPicture testDesktop()
{
    DesktopPicture desktop;
    desktop.image = QImage(400, 300, QImage::Format_RGB32);
    desktop.image.fill(Qt::white);
    QPainter p(&desktop.image);
    p.fillRect(QRect(100, 100, 50, 40), Qt::blue);
    return desktop;
}

TEST(ScreenCapture, OnlyWhereTheDesktopCanBeRead)
{
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("xcb"), QStringLiteral("x11"), false, true),
        ScreenGrabSupport::Available);
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("wayland"), QString(), true, true), ScreenGrabSupport::Wayland);
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("wayland-egl"), QString(), true, true),
        ScreenGrabSupport::Wayland);
    // An X11 program under XWayland would grab black.
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("xcb"), QStringLiteral("wayland"), false, true),
        ScreenGrabSupport::Wayland);
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("xcb"), QString(), true, true), ScreenGrabSupport::Wayland);
    EXPECT_EQ(DecideScreenGrabSupport(QStringLiteral("xcb"), QString(), false, false), ScreenGrabSupport::NoScreen);
}

TEST(ScreenCapture, TheDraggedAreaGoesToTheClipboard)
{
    CScreenCaptureDlg dialog(testDesktop());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(400, 300));

    // Enter without an area does nothing; a drag makes one, its handles size it.
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(90, 90));
    QTest::mouseMove(&dialog, QPoint(120, 120));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(160, 150));
    EXPECT_EQ(dialog.area(), QRect(QPoint(90, 90), QPoint(160, 150)));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(160, 150)); // the bottom-right handle
    QTest::mouseMove(&dialog, QPoint(170, 160));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(170, 160));
    EXPECT_EQ(dialog.area(), QRect(QPoint(90, 90), QPoint(170, 160)));

    // A right click drops the area; a tiny drag makes none.
    QTest::mouseClick(&dialog, Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_TRUE(dialog.area().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(dialog.area().isEmpty());

    dialog.setArea(QRect(100, 100, 50, 40));
    QTest::mouseDClick(&dialog, Qt::LeftButton, {}, QPoint(120, 120));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.captured().size(), QSize(50, 40));
    EXPECT_EQ(dialog.captured().pixel(25, 20), QColor(Qt::blue).rgb());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(50, 40));
}

TEST(ScreenCapture, TheWindowKeepsOutOfThePictureAndComesBack)
{
    SetScreenGrabber(testDesktop);
    QWidget window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bool hiddenDuringCapture = false;
    SetCaptureDialogHook([&](CScreenCaptureDlg &dialog) {
        hiddenDuringCapture = !window.isVisible();
        dialog.setArea(QRect(100, 100, 50, 40));
        dialog.accept();
        return int(dialog.result());
    });
    QImage area = CaptureScreenArea(&window, true);
    EXPECT_TRUE(hiddenDuringCapture);
    EXPECT_TRUE(window.isVisible()) << "shown again";
    EXPECT_EQ(area.size(), QSize(50, 40));

    // Shown while capturing: a translucent window is made opaque for the grab only.
    window.setWindowOpacity(0.5);
    qreal opacityDuringCapture = 0;
    SetCaptureDialogHook([&](CScreenCaptureDlg &dialog) {
        opacityDuringCapture = window.windowOpacity();
        return int(dialog.result()); // cancelled
    });
    area = CaptureScreenArea(&window, false);
    EXPECT_TRUE(area.isNull());
    EXPECT_DOUBLE_EQ(opacityDuringCapture, 1.0);
    EXPECT_NEAR(window.windowOpacity(), 0.5, 0.01);
    SetCaptureDialogHook({});
    SetScreenGrabber({});
}

TEST(VoiceSession, StopEndsTheSessionFlag)
{
    RemoteRequests requests;
    CVoiceSession voice(requests);
    requests.setVoiceSession(true);
    requests.StopVoice();
    EXPECT_EQ(voice.stops(), 1);
    EXPECT_FALSE(requests.voiceSession());
    EXPECT_FALSE(voice.isTransmitting());
}

} // namespace

// The hint keeps to the screen that holds the area, also on a desktop of two.
TEST(ScreenCapture, TheHintKeepsToTheAreasScreen)
{
    const QSize hint(300, 20);
    const QRect left(0, 0, 1000, 600), right(1000, 0, 800, 600);
    EXPECT_EQ(PlaceCaptureHint(hint, QRect(950, 300, 50, 50), left), QRect(700, 276, 300, 20))
        << "above the area, not across into the next screen";
    EXPECT_EQ(PlaceCaptureHint(hint, QRect(1700, 0, 100, 100), right), QRect(1500, 104, 300, 20)) << "below";
    EXPECT_EQ(PlaceCaptureHint(hint, QRect(1200, 0, 100, 600), right).top(), 4) << "inside its top";
}

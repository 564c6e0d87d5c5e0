// Grabbing the desktop for the screen capture: every screen in one picture of
// the virtual desktop. Under X11 the desktop can be read; a Wayland session
// gives programs a black picture instead of refusing, so capture is not
// offered there.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>

enum class ScreenGrabSupport {
    Available,
    Wayland, // the compositor keeps the screen to itself
    NoScreen,
};

// The decision for a Qt platform plugin name ("xcb", "wayland" ...), the
// session type of XDG_SESSION_TYPE and whether WAYLAND_DISPLAY is set (an X11
// program under XWayland sees black where native windows are).
ScreenGrabSupport DecideScreenGrabSupport(
    const QString &platformName, const QString &sessionType, bool waylandDisplay, bool hasScreen);
// The decision for the running program.
ScreenGrabSupport CurrentScreenGrabSupport();

struct DesktopPicture
{
    QImage image; // the virtual desktop, in logical pixels
    QPoint origin; // the desktop's top-left in screen coordinates
};

// Every screen, each drawn at its place in the virtual desktop.
DesktopPicture GrabAllScreens();

// Tests replace the desktop with a picture of their own (an empty function
// puts the real grab back).
using ScreenGrabber = std::function<DesktopPicture()>;
void SetScreenGrabber(ScreenGrabber grabber);
DesktopPicture GrabDesktop();

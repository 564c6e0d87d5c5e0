#include "remote/ScreenGrab.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace {

ScreenGrabber &grabberSlot()
{
    static ScreenGrabber grabber;
    return grabber;
}

} // namespace

ScreenGrabSupport DecideScreenGrabSupport(
    const QString &platformName, const QString &sessionType, bool waylandDisplay, bool hasScreen)
{
    if (!hasScreen)
        return ScreenGrabSupport::NoScreen;
    if (platformName.startsWith(QLatin1String("wayland"), Qt::CaseInsensitive))
        return ScreenGrabSupport::Wayland;
    if (platformName == QLatin1String("xcb")
        && (sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 || waylandDisplay))
        return ScreenGrabSupport::Wayland;
    return ScreenGrabSupport::Available;
}

ScreenGrabSupport CurrentScreenGrabSupport()
{
    return DecideScreenGrabSupport(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), !QGuiApplication::screens().isEmpty());
}

DesktopPicture GrabAllScreens()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QRect desktop;
    for (const QScreen *screen : screens)
        desktop |= screen->geometry();
    DesktopPicture out;
    if (desktop.isEmpty())
        return out;
    out.origin = desktop.topLeft();
    out.image = QImage(desktop.size(), QImage::Format_RGB32);
    out.image.fill(Qt::black);
    QPainter p(&out.image);
    for (QScreen *screen : screens) {
        const QPixmap shot = screen->grabWindow(0);
        if (!shot.isNull())
            p.drawPixmap(QRect(screen->geometry().topLeft() - desktop.topLeft(), screen->geometry().size()), shot);
    }
    p.end();
    return out;
}

void SetScreenGrabber(ScreenGrabber grabber)
{
    grabberSlot() = std::move(grabber);
}

DesktopPicture GrabDesktop()
{
    return grabberSlot() ? grabberSlot()() : GrabAllScreens();
}

#include "platform/DesktopProbe.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if KWEL_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

QPoint DesktopProbe::cursor() const
{
    return QCursor::pos();
}

bool DesktopProbe::buttonDown() const
{
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

QRect DesktopProbe::liveFrame(const QWidget &window) const
{
    return window.frameGeometry();
}

#if KWEL_HAVE_X11

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

class X11Probe final : public DesktopProbe
{
public:
    explicit X11Probe(Display *display)
        : m_display(display)
    {
    }

    QPoint cursor() const override { return query().pos; }
    bool buttonDown() const override
    {
        return (query().mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask)) != 0;
    }

    QRect liveFrame(const QWidget &window) const override
    {
        const QWindow *handle = window.windowHandle();
        if (!handle || !window.isVisible())
            return window.frameGeometry();
        int x = 0;
        int y = 0;
        ::Window child = 0;
        if (!XTranslateCoordinates(m_display, ::Window(handle->winId()), DefaultRootWindow(m_display), 0, 0, &x, &y,
                &child))
            return window.frameGeometry();
        // The frame around the client as the window manager last reported it.
        const QRect outer = window.frameGeometry();
        const QRect inner = window.geometry();
        return outer.translated(x - inner.x(), y - inner.y());
    }

private:
    struct Pointer
    {
        QPoint pos;
        unsigned int mask = 0;
    };

    Pointer query() const
    {
        ::Window root = 0;
        ::Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int winX = 0;
        int winY = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &winX, &winY, &mask))
            return {QCursor::pos(), 0};
        return {QPoint(rootX, rootY), mask};
    }

    Display *m_display;
};

} // namespace

std::unique_ptr<DesktopProbe> DesktopProbe::System()
{
    if (Display *display = x11Display())
        return std::make_unique<X11Probe>(display);
    return std::make_unique<DesktopProbe>();
}

void SetSkipTaskbar(QWidget &window, bool skip)
{
    Display *display = x11Display();
    if (!display || !window.isWindow())
        return;
    const ::Window id = ::Window(window.winId());
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom hints[2] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
        XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
    if (window.windowHandle() && window.windowHandle()->isVisible()) {
        // A mapped window asks the window manager.
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = state;
        event.xclient.format = 32;
        event.xclient.data.l[0] = skip ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        event.xclient.data.l[1] = long(hints[0]);
        event.xclient.data.l[2] = long(hints[1]);
        event.xclient.data.l[3] = 1; // a normal application
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
            &event);
        XFlush(display);
        return;
    }
    // An unmapped one carries the state into its mapping (the toolkit adds
    // its own states to what it finds).
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    QList<Atom> atoms;
    if (XGetWindowProperty(display, id, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data)
            == Success
        && data) {
        if (format == 32)
            for (unsigned long i = 0; i < count; ++i)
                atoms.append(reinterpret_cast<Atom *>(data)[i]);
        XFree(data);
    }
    for (Atom hint : hints) {
        atoms.removeAll(hint);
        if (skip)
            atoms.append(hint);
    }
    XChangeProperty(display, id, state, XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<const unsigned char *>(atoms.constData()), int(atoms.size()));
    XFlush(display);
}

#else

std::unique_ptr<DesktopProbe> DesktopProbe::System()
{
    return std::make_unique<DesktopProbe>();
}

void SetSkipTaskbar(QWidget &, bool) {}

#endif

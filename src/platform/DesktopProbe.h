// What the window system knows right now about the pointer and a window.
// While a window manager drags a window it tells the program the new place
// only when the drag ends, so code that must follow a drag asks the server
// itself. Without X11 the toolkit's own knowledge stands in.
#pragma once

#include <QPoint>
#include <QRect>
#include <memory>

class QWidget;

class DesktopProbe
{
public:
    virtual ~DesktopProbe() = default;

    virtual QPoint cursor() const;
    // True while any mouse button is held, also over another program's
    // window or the window manager's frame.
    virtual bool buttonDown() const;
    // The window's frame where the window system has it now.
    virtual QRect liveFrame(const QWidget &window) const;

    // The X11 probe where the program runs on X11, else this one.
    static std::unique_ptr<DesktopProbe> System();
};

// Keeps a top-level window out of the taskbar and the pager (the window
// manager's _NET_WM_STATE on X11) while it stays an ordinary window; nothing
// elsewhere. Call it before each show: a window manager forgets the state of
// a window that was hidden.
void SetSkipTaskbar(QWidget &window, bool skip);

// Docking of the main panel at an edge of the work area, with auto-hide:
// while AutoHideWnd is on, a drag that ends near an edge docks the panel
// there; when the cursor leaves the docked panel it slides out of view and
// leaves a thin strip, and when the cursor enters the strip it slides back.
//
// The window manager owns the drag and tells the program the new place only
// when it ends, so every kWatchMs the panel is looked at where the window
// system has it now: while a mouse button is held and the panel moves, it
// is being dragged (and never slides away under the drag); the release
// decides the dock side from the cursor. Moves nobody dragged never dock.
//
// A window manager keeps part of an ordinary window on the screen, so the
// slid-out panel is taken off the screen and a strip window of its own (which
// the manager leaves alone) stands at the edge in its place. The arithmetic
// is in DockGeometry.h. Platforms that cannot place windows (Wayland) get no
// docking at all.
#pragma once

#include "mainwnd/DockGeometry.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class CConfig;
class DesktopProbe;
class QWidget;

class PanelDocking : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWatchMs = 200; // timer 1
    static constexpr int kSlideMs = 5; // timer 2

    // hiddenByUser: whether the user put the panel away (tray).
    PanelDocking(QWidget &panel, CConfig &config, std::function<bool()> hiddenByUser, QObject *parent = nullptr);
    ~PanelDocking() override;

    // False where the platform does not let a program place its windows.
    static bool PlatformCanPlace();
    bool isEnabled() const;

    int side() const { return m_state.side; }
    bool isStretched() const { return m_state.stretched; }
    int savedHeight() const { return m_state.savedHeight; }
    bool isWatching() const { return m_watching; }
    bool isSliding() const { return m_slide.isActive(); }
    bool isSlidOut() const;
    // The work area the panel docks in (the screen the panel is on).
    Dock::Metrics metrics() const;
    Dock::Box frame() const;
    // The window that stands for the slid-out panel at its edge.
    QWidget *strip() const { return m_strip.get(); }
    // Tests hand in a pointer and window system of their own.
    void SetProbe(std::unique_ptr<DesktopProbe> probe);

    // The start: a panel docked when the program ended starts slid out.
    void InitialHide();
    // The panel was shown from the tray or the hot key: a slid-out panel
    // slides in and hides again once the cursor has been over it and left.
    void OnShown();
    // The cursor entered the panel or its strip.
    void OnEnter();
    // The menu switch changed: switching it off brings a docked panel back
    // into view and undocks it.
    void OnAutoHideChanged();
    // The end of a drag with the cursor at `cursor`: docks, moves along an
    // edge or undocks the panel where the window system has it now.
    void Settle(QPoint cursor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    void slideTick();
    void startWatchAndSlide(bool hiding);
    void place(const Dock::Box &box);
    void applyMinimumSize();
    void startTicking();
    // The slid-out panel leaves the screen to its strip, and comes back.
    void giveWayToStrip();
    void comeBackFromStrip();
    Dock::Box liveFrame() const;

    QWidget &m_panel;
    CConfig &m_config;
    std::function<bool()> m_hiddenByUser;
    std::unique_ptr<DesktopProbe> m_probe;
    std::unique_ptr<QWidget> m_strip;
    Dock::State m_state;
    Dock::DragWatch m_drag;
    QTimer m_tick;
    QTimer m_slide;
    Dock::Box m_lastPlaced;
    QSize m_placedDecoration; // the frame's share of the panel when last placed
    bool m_watching = false; // timer 1 of the Windows program
    bool m_hiding = false; // slide direction
    bool m_slideDone = true;
    bool m_mouseWasOutside = false;
    // Ticks left before a held button counts as a drag again: the window
    // system takes a moment to carry out the program's own placing.
    int m_settling = 0;
};

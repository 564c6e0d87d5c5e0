// Docking of the main panel at an edge of the work area, with auto-hide:
// while AutoHideWnd is on, a drag that ends near an edge docks the panel
// there; when the cursor leaves the docked panel it slides out of view and
// leaves a thin strip, and when the cursor enters the strip it slides back.
//
// The window manager owns the drag, so the dock side is decided from the
// cursor once the panel has stopped moving for kSettleMs. The arithmetic is
// in DockGeometry.h. Platforms that cannot place windows (Wayland) get no
// docking at all.
#pragma once

#include "mainwnd/DockGeometry.h"

#include <QObject>
#include <QTimer>
#include <functional>

class CConfig;
class QWidget;

class PanelDocking : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWatchMs = 200; // timer 1
    static constexpr int kSlideMs = 5; // timer 2
    static constexpr int kSettleMs = 250;

    // hiddenByUser: whether the user put the panel away (tray).
    PanelDocking(QWidget &panel, CConfig &config, std::function<bool()> hiddenByUser, QObject *parent = nullptr);

    // False where the platform does not let a program place its windows.
    static bool PlatformCanPlace();
    bool isEnabled() const;

    int side() const { return m_state.side; }
    bool isStretched() const { return m_state.stretched; }
    int savedHeight() const { return m_state.savedHeight; }
    bool isWatching() const { return m_watch.isActive(); }
    bool isSliding() const { return m_slide.isActive(); }
    bool isSlidOut() const;
    // The work area the panel docks in (the screen the panel is on).
    Dock::Metrics metrics() const;
    Dock::Box frame() const;

    // The start: a panel docked when the program ended starts slid out.
    void InitialHide();
    // The panel was shown from the tray or the hot key: a slid-out panel
    // slides in and hides again once the cursor has been over it and left.
    void OnShown();
    // Move events of the panel; the drag is judged once they settle.
    void OnMoved();
    // The cursor entered the panel (its visible strip when slid out). The
    // strip may be all window frame, which reports no entering: while slid
    // out the cursor is also looked for there every kWatchMs.
    void OnEnter();
    // The menu switch changed: switching it off brings a docked panel back
    // into view and undocks it.
    void OnAutoHideChanged();
    // The end of a drag with the cursor at `cursor` (what the settle timer
    // does with the cursor position).
    void Settle(QPoint cursor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchTick();
    void slideTick();
    void stripTick();
    void startWatchAndSlide(bool hiding);
    void place(const Dock::Box &box);
    void applyMinimumSize();

    QWidget &m_panel;
    CConfig &m_config;
    std::function<bool()> m_hiddenByUser;
    Dock::State m_state;
    QTimer m_watch;
    QTimer m_slide;
    QTimer m_settle;
    QTimer m_strip;
    Dock::Box m_lastPlaced;
    bool m_hiding = false; // slide direction
    bool m_slideDone = true;
    bool m_mouseWasOutside = false;
};

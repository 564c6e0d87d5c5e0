#include "mainwnd/PanelDocking.h"

#include "core/CConfig.h"
#include "mainwnd/PanelGeometry.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

PanelDocking::PanelDocking(QWidget &panel, CConfig &config, std::function<bool()> hiddenByUser, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_config(config)
    , m_hiddenByUser(std::move(hiddenByUser))
{
    m_watch.setInterval(kWatchMs);
    m_slide.setInterval(kSlideMs);
    m_settle.setInterval(kSettleMs);
    m_settle.setSingleShot(true);
    m_strip.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &PanelDocking::watchTick);
    connect(&m_slide, &QTimer::timeout, this, &PanelDocking::slideTick);
    connect(&m_settle, &QTimer::timeout, this, [this] { Settle(QCursor::pos()); });
    connect(&m_strip, &QTimer::timeout, this, &PanelDocking::stripTick);
    m_panel.installEventFilter(this);
}

bool PanelDocking::PlatformCanPlace()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool PanelDocking::isEnabled() const
{
    return m_config.AutoHideWnd != 0 && PlatformCanPlace();
}

Dock::Metrics PanelDocking::metrics() const
{
    const QScreen *screen = m_panel.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return Dock::Metrics::fromWorkArea(screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
}

Dock::Box PanelDocking::frame() const
{
    return Dock::Box::fromRect(m_panel.frameGeometry());
}

bool PanelDocking::isSlidOut() const
{
    return m_state.side != Dock::None && m_hiding && m_slideDone;
}

bool PanelDocking::eventFilter(QObject *watched, QEvent *event)
{
    // The window system adds the frame when the panel is first shown: a
    // panel placed out of view before that is placed again with it.
    if (watched == &m_panel && event->type() == QEvent::Show && isSlidOut() && !m_slide.isActive())
        QTimer::singleShot(0, this, [this] {
            if (isSlidOut() && !m_slide.isActive())
                place(Dock::InitialHide(metrics(), frame(), m_state));
        });
    return QObject::eventFilter(watched, event);
}

void PanelDocking::place(const Dock::Box &box)
{
    const QRect outer = m_panel.frameGeometry();
    const QRect inner = m_panel.geometry();
    const QSize decoration(outer.width() - inner.width(), outer.height() - inner.height());
    m_lastPlaced = box;
    m_panel.resize(std::max(1, box.width() - decoration.width()), std::max(1, box.height() - decoration.height()));
    m_panel.move(box.left, box.top);
}

void PanelDocking::applyMinimumSize()
{
    const QSize normal = PanelGeometry::kMinimumSize;
    m_panel.setMinimumSize(m_state.side != Dock::None ? normal.expandedTo(Dock::kDockedMinimum) : normal);
}

void PanelDocking::InitialHide()
{
    m_state.side = std::clamp(m_config.HideMode, 0, 4);
    if (!isEnabled())
        m_state.side = Dock::None; // a docked panel that never slides back would be out of reach
    applyMinimumSize();
    if (m_state.side == Dock::None)
        return;
    place(Dock::InitialHide(metrics(), frame(), m_state));
    m_hiding = true;
    m_slideDone = true;
    m_strip.start();
}

void PanelDocking::OnShown()
{
    if (!isEnabled() || !isSlidOut())
        return;
    m_mouseWasOutside = !Dock::CursorNear(QCursor::pos(), frame());
    startWatchAndSlide(false);
}

void PanelDocking::OnEnter()
{
    if (!isEnabled() || m_hiddenByUser() || m_state.side == Dock::None || m_watch.isActive())
        return;
    startWatchAndSlide(false);
}

void PanelDocking::OnMoved()
{
    if (!isEnabled() || m_slide.isActive() || frame() == m_lastPlaced)
        return;
    m_settle.start();
}

void PanelDocking::Settle(QPoint cursor)
{
    if (!isEnabled() || m_slide.isActive())
        return;
    const Dock::Box current = frame();
    if (current == m_lastPlaced)
        return; // our own placing
    const Dock::Box box = Dock::DetectDock(metrics(), cursor, current, m_state);
    applyMinimumSize();
    if (box != current)
        place(box);
    else
        m_lastPlaced = box;
    if (m_state.side == Dock::None) {
        m_watch.stop();
    } else if (!m_watch.isActive()) {
        m_mouseWasOutside = !Dock::CursorNear(cursor, box);
        startWatchAndSlide(false);
    }
}

void PanelDocking::OnAutoHideChanged()
{
    if (m_config.AutoHideWnd != 0 || m_state.side == Dock::None)
        return;
    m_watch.stop();
    m_slide.stop();
    m_strip.stop();
    Dock::Box box = frame();
    const Dock::Metrics m = metrics();
    for (int i = 0; i <= Dock::kSlideSteps * 4; ++i) {
        const Dock::Step s = Dock::ShowStep(m, m_state.side, box);
        box = s.box;
        if (s.done)
            break;
    }
    if (m_state.stretched) {
        box.bottom = box.top + m_state.savedHeight;
        m_state.stretched = false;
    }
    m_state.side = Dock::None;
    applyMinimumSize();
    place(box);
}

void PanelDocking::startWatchAndSlide(bool hiding)
{
    m_strip.stop();
    m_lastPlaced = frame(); // the slide steps from here
    if (!hiding)
        m_watch.start();
    m_slideDone = false;
    m_hiding = hiding;
    m_slide.start();
}

void PanelDocking::watchTick()
{
    const bool near = Dock::CursorNear(QCursor::pos(), frame());
    if (!near && !m_mouseWasOutside) {
        m_watch.stop();
        startWatchAndSlide(true);
    } else if (near && m_mouseWasOutside) {
        m_mouseWasOutside = false;
    }
}

void PanelDocking::slideTick()
{
    if (m_hiddenByUser())
        m_slideDone = true;
    if (m_slideDone || m_state.side == Dock::None) {
        m_slide.stop();
        return;
    }
    const Dock::Metrics m = metrics();
    // From where the last step put it: the window system may not have
    // reported that move yet.
    const Dock::Box from = m_lastPlaced;
    const Dock::Step s = m_hiding ? Dock::HideStep(m, m_state.side, from) : Dock::ShowStep(m, m_state.side, from);
    place(s.box);
    m_slideDone = s.done;
    if (m_slideDone && m_hiding)
        m_strip.start();
}

void PanelDocking::stripTick()
{
    // Put away by the user: the next slide out starts it again.
    if (!isSlidOut() || !isEnabled() || m_hiddenByUser()) {
        m_strip.stop();
        return;
    }
    // The part of the frame that is on the screen.
    const QRect visible = frame().toRect().intersected(metrics().area.toRect());
    if (visible.contains(QCursor::pos()))
        OnEnter();
}

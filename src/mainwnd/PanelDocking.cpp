#include "mainwnd/PanelDocking.h"

#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "mainwnd/PanelGeometry.h"
#include "platform/DesktopProbe.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// The thin strip at the edge while the panel is slid out: a window the
// window manager leaves alone (no frame, no taskbar entry, no focus), in the
// panel's frame colour. The cursor entering it brings the panel back.
class DockStrip final : public QWidget
{
public:
    DockStrip(QColor colour, std::function<void()> entered)
        : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint)
        , m_colour(colour)
        , m_entered(std::move(entered))
    {
        setObjectName(QStringLiteral("dockstrip"));
        setAttribute(Qt::WA_ShowWithoutActivating);
    }

protected:
    void enterEvent(QEnterEvent *event) override
    {
        QWidget::enterEvent(event);
        m_entered();
    }
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
    std::function<void()> m_entered;
};

// How much wider and taller the window manager's frame makes the window.
QSize frameShare(const QWidget &window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return QSize(outer.width() - inner.width(), outer.height() - inner.height());
}

} // namespace

PanelDocking::PanelDocking(QWidget &panel, CConfig &config, std::function<bool()> hiddenByUser, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_config(config)
    , m_hiddenByUser(std::move(hiddenByUser))
    , m_probe(DesktopProbe::System())
{
    m_tick.setInterval(kWatchMs);
    m_slide.setInterval(kSlideMs);
    connect(&m_tick, &QTimer::timeout, this, &PanelDocking::tick);
    connect(&m_slide, &QTimer::timeout, this, &PanelDocking::slideTick);
    m_panel.installEventFilter(this);
}

PanelDocking::~PanelDocking() = default;

void PanelDocking::SetProbe(std::unique_ptr<DesktopProbe> probe)
{
    m_probe = std::move(probe);
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

Dock::Box PanelDocking::liveFrame() const
{
    return Dock::Box::fromRect(m_probe->liveFrame(m_panel));
}

bool PanelDocking::isSlidOut() const
{
    return m_state.side != Dock::None && m_hiding && m_slideDone;
}

bool PanelDocking::eventFilter(QObject *watched, QEvent *event)
{
    // Shown while slid out (the start): the window system adds the frame
    // when the panel is first shown, so the hidden place is worked out again
    // with it, and the strip takes the panel's place.
    if (watched == &m_panel && event->type() == QEvent::Show && isSlidOut() && !m_slide.isActive())
        QTimer::singleShot(0, this, [this] {
            if (!isSlidOut() || m_slide.isActive() || m_hiddenByUser())
                return;
            place(Dock::InitialHide(metrics(), frame(), m_state));
            giveWayToStrip();
        });
    return QObject::eventFilter(watched, event);
}

void PanelDocking::place(const Dock::Box &box)
{
    const QSize decoration = frameShare(m_panel);
    m_lastPlaced = box;
    m_placedDecoration = decoration;
    m_settling = 2;
    m_panel.resize(std::max(1, box.width() - decoration.width()), std::max(1, box.height() - decoration.height()));
    m_panel.move(box.left, box.top);
}

void PanelDocking::applyMinimumSize()
{
    // While auto-hide is on, a panel the user may dock any moment keeps the
    // docked minimum, docked or not.
    const QSize normal = PanelGeometry::kMinimumSize;
    m_panel.setMinimumSize(isEnabled() ? normal.expandedTo(Dock::kDockedMinimum) : normal);
}

void PanelDocking::startTicking()
{
    if (isEnabled() && !m_tick.isActive())
        m_tick.start();
}

void PanelDocking::giveWayToStrip()
{
    if (!m_strip)
        m_strip = std::make_unique<DockStrip>(ColorFromRef(m_config.MainBarFrameColor), [this] { OnEnter(); });
    m_strip->setGeometry(m_lastPlaced.toRect().intersected(metrics().area.toRect()));
    m_panel.hide();
    m_strip->show();
    m_strip->raise();
}

void PanelDocking::comeBackFromStrip()
{
    if (m_strip)
        m_strip->hide();
    if (!m_panel.isVisible())
        m_panel.show();
}

void PanelDocking::InitialHide()
{
    m_state.side = std::clamp(m_config.HideMode, 0, 4);
    if (!isEnabled())
        m_state.side = Dock::None; // a docked panel that never slides back would be out of reach
    applyMinimumSize();
    startTicking();
    if (m_state.side == Dock::None)
        return;
    place(Dock::InitialHide(metrics(), frame(), m_state));
    m_hiding = true;
    m_slideDone = true;
}

void PanelDocking::OnShown()
{
    if (!isEnabled() || !isSlidOut())
        return;
    m_mouseWasOutside = !Dock::CursorNear(m_probe->cursor(), m_lastPlaced);
    startWatchAndSlide(false);
}

void PanelDocking::OnEnter()
{
    if (!isEnabled() || m_hiddenByUser() || m_state.side == Dock::None || m_watching)
        return;
    startWatchAndSlide(false);
}

void PanelDocking::Settle(QPoint cursor)
{
    if (!isEnabled() || m_slide.isActive())
        return;
    const Dock::Box current = liveFrame();
    const Dock::Box box = Dock::DetectDock(metrics(), cursor, current, m_state);
    applyMinimumSize();
    place(box);
    if (m_state.side == Dock::None) {
        m_watching = false;
    } else if (!m_watching) {
        m_mouseWasOutside = !Dock::CursorNear(cursor, box);
        startWatchAndSlide(false);
    }
}

void PanelDocking::OnAutoHideChanged()
{
    if (m_config.AutoHideWnd != 0) {
        applyMinimumSize();
        startTicking();
        return;
    }
    m_tick.stop();
    m_drag.Reset();
    if (m_state.side == Dock::None) {
        applyMinimumSize();
        return;
    }
    m_watching = false;
    m_slide.stop();
    Dock::Box box = m_lastPlaced;
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
    m_hiding = false;
    m_slideDone = true;
    applyMinimumSize();
    place(box);
    if (m_strip)
        m_strip->hide();
    if (!m_hiddenByUser())
        m_panel.show();
}

void PanelDocking::startWatchAndSlide(bool hiding)
{
    if (!hiding) {
        comeBackFromStrip();
        m_watching = true;
    } else {
        m_lastPlaced = frame(); // the slide steps from here
    }
    m_slideDone = false;
    m_hiding = hiding;
    m_slide.start();
    startTicking();
}

void PanelDocking::tick()
{
    if (!isEnabled()) {
        m_tick.stop();
        return;
    }
    if (m_hiddenByUser()) {
        // Put away into the tray: no strip either, until it is shown again.
        if (m_strip)
            m_strip->hide();
        m_drag.Reset();
        return;
    }
    if (m_slide.isActive())
        return;
    const QPoint cursor = m_probe->cursor();
    if (isSlidOut()) {
        // The strip may miss the entering (a pointer grabbed elsewhere).
        if (m_lastPlaced.toRect().intersected(metrics().area.toRect()).contains(cursor))
            OnEnter();
        return;
    }
    if (!m_panel.isVisible())
        return;
    const bool button = m_probe->buttonDown();
    const Dock::Box live = liveFrame();
    if (m_settling > 0) {
        --m_settling;
    } else {
        switch (m_drag.Feed(button, live, frame())) {
        case Dock::DragWatch::Event::Dragging:
            return; // never slide away under a drag
        case Dock::DragWatch::Event::Ended:
            Settle(cursor);
            return;
        case Dock::DragWatch::Event::None:
            break;
        }
    }
    // Shown again before the window manager had framed it, the panel was
    // placed as if it had no frame (its title bar above the screen): once
    // the frame is known it goes where it was meant to be.
    if (m_state.side != Dock::None && !button && m_settling == 0 && frameShare(m_panel) != m_placedDecoration) {
        place(m_lastPlaced);
        return;
    }
    // A menu or list open over the panel holds it in view.
    if (!m_watching || m_state.side == Dock::None || QApplication::activePopupWidget())
        return;
    const bool near = Dock::CursorNear(cursor, live);
    if (!near && !m_mouseWasOutside && !button) {
        m_watching = false;
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
        giveWayToStrip();
}

#include "remote/CScreenCaptureDlg.h"

#include "core/Prompter.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

CaptureDialogHook &hookSlot()
{
    static CaptureDialogHook hook;
    return hook;
}

// Waits without blocking the event loop.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

CScreenCaptureDlg::CScreenCaptureDlg(const DesktopPicture &desktop, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("screenCapture"));
    setWindowTitle(QStringLiteral("截图"));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setGeometry(QRect(desktop.origin, desktop.image.size()));
}

void CScreenCaptureDlg::setArea(const QRect &area)
{
    m_tracker.setRect(area.intersected(rect()));
    m_hasArea = !m_tracker.rect().isEmpty();
    update();
}

void CScreenCaptureDlg::accept()
{
    if (!m_hasArea)
        return;
    m_captured = m_desktop.image.copy(m_tracker.rect());
    QGuiApplication::clipboard()->setImage(m_captured);
    QDialog::accept();
}

QString CScreenCaptureDlg::hintText() const
{
    return m_hasArea ? QStringLiteral("%1 × %2  双击或按回车键确定，按右键重新选择，按Esc键取消")
                           .arg(m_tracker.rect().width())
                           .arg(m_tracker.rect().height())
                     : QStringLiteral("按住鼠标左键拖出要截取的区域，按Esc键或右键取消");
}

QRect CScreenCaptureDlg::hintRect() const
{
    const QSize size = fontMetrics().boundingRect(hintText()).adjusted(-6, -4, 6, 4).size();
    const QRect area = this->area();
    // The screen that holds the area (its centre), in the dialog's coordinates.
    QRect screen = rect();
    const QPoint probe = mapToGlobal(area.isEmpty() ? QPoint(0, 0) : area.center());
    if (const QScreen *holder = QGuiApplication::screenAt(probe))
        screen = QRect(mapFromGlobal(holder->geometry().topLeft()), holder->geometry().size()).intersected(rect());
    return PlaceCaptureHint(size, area, screen.isEmpty() ? rect() : screen);
}

void CScreenCaptureDlg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_desktop.image);
    // Everything but the area is dimmed.
    QRegion dim(rect());
    if (m_hasArea)
        dim -= QRegion(m_tracker.rect());
    p.save();
    p.setClipRegion(dim);
    p.fillRect(rect(), QColor(0, 0, 0, 100));
    p.restore();

    const QRect label = hintRect();
    p.fillRect(label, QColor(255, 255, 225));
    p.setPen(Qt::black);
    p.drawRect(label.adjusted(0, 0, -1, -1));
    p.drawText(label, Qt::AlignCenter, hintText());
    if (m_hasArea) {
        p.setPen(QPen(QColor(0, 120, 215), 1));
        m_tracker.Draw(p);
    }
}

void CScreenCaptureDlg::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (m_hasArea) {
            m_hasArea = false;
            update();
        } else {
            reject();
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_from = at;
    m_hit = m_hasArea ? m_tracker.HitTest(at) : CSelectRectTracker::Nothing;
    if (m_hit != CSelectRectTracker::Nothing) {
        m_drag = Drag::Track;
    } else {
        m_drag = Drag::New;
        m_tracker.setRect(QRect(at, QSize(1, 1)));
        m_hasArea = false;
    }
}

void CScreenCaptureDlg::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    switch (m_drag) {
    case Drag::New:
        m_tracker.setRect(QRect(m_from, at).intersected(rect()));
        m_hasArea = true;
        update();
        break;
    case Drag::Track:
        m_tracker.Track(m_hit, m_from, at, rect());
        m_from = at;
        update();
        break;
    case Drag::None: {
        const CSelectRectTracker::Hit hit = m_hasArea ? m_tracker.HitTest(at) : CSelectRectTracker::Nothing;
        setCursor(hit == CSelectRectTracker::Nothing ? Qt::CrossCursor : CSelectRectTracker::CursorFor(hit));
        break;
    }
    }
}

void CScreenCaptureDlg::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag != Drag::None)
        mouseMoveEvent(event); // the release point counts
    if (m_drag == Drag::New && (m_tracker.rect().width() < 3 || m_tracker.rect().height() < 3))
        m_hasArea = false;
    m_drag = Drag::None;
    update();
}

void CScreenCaptureDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_hasArea && m_tracker.rect().contains(event->position().toPoint()))
        accept();
}

void CScreenCaptureDlg::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_hasArea) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event); // Esc rejects
}

void SetCaptureDialogHook(CaptureDialogHook hook)
{
    hookSlot() = std::move(hook);
}

QRect PlaceCaptureHint(const QSize &hint, const QRect &area, const QRect &screen)
{
    constexpr int kGap = 4; // between the hint and the area
    constexpr int kCorner = 20; // from the screen's corner without an area
    QRect placed(QPoint(), hint);
    if (area.isEmpty()) {
        placed.moveTopLeft(screen.topLeft() + QPoint(kCorner, kCorner));
    } else if (area.top() - kGap - hint.height() >= screen.top()) {
        placed.moveTopLeft(QPoint(area.left(), area.top() - kGap - hint.height()));
    } else if (area.bottom() + kGap + hint.height() <= screen.bottom()) {
        placed.moveTopLeft(QPoint(area.left(), area.bottom() + 1 + kGap));
    } else {
        placed.moveTopLeft(QPoint(area.left(), area.top() + kGap));
    }
    // Within the screen: the right and bottom edges first, so that a hint
    // wider than the screen keeps its beginning in view.
    placed.moveLeft(std::max(screen.left(), std::min(placed.left(), screen.right() + 1 - hint.width())));
    placed.moveTop(std::max(screen.top(), std::min(placed.top(), screen.bottom() + 1 - hint.height())));
    return placed;
}

QImage CaptureScreenArea(QWidget *window, bool hideWindow)
{
    if (CurrentScreenGrabSupport() != ScreenGrabSupport::Available) {
        Prompter::current().messageBox(window,
            CurrentScreenGrabSupport() == ScreenGrabSupport::Wayland
                ? QStringLiteral("当前桌面(Wayland)不允许程序读取屏幕图像，无法截图。")
                : QStringLiteral("没有可截取的屏幕。"),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        return QImage();
    }
    const bool wasVisible = window && window->isVisible();
    const qreal opacity = window ? window->windowOpacity() : 1.0;
    if (window && hideWindow && wasVisible) {
        window->hide();
        pause(kCaptureHideDelayMs); // the window manager takes it off the screen
    } else if (window && opacity < 1.0) {
        window->setWindowOpacity(1.0);
        pause(kCaptureHideDelayMs / 4);
    }
    CScreenCaptureDlg dialog(GrabDesktop());
    const int result = hookSlot() ? hookSlot()(dialog) : dialog.exec();
    if (window) {
        if (hideWindow && wasVisible)
            window->show();
        window->setWindowOpacity(opacity);
        window->raise();
        window->activateWindow();
    }
    return result == QDialog::Accepted ? dialog.captured() : QImage();
}

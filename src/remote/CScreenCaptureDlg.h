// The screen capture: a frameless window over the whole desktop showing the
// picture grabbed when it opened. The user drags out an area, moves and sizes
// it by its frame and handles, and takes it with a double click or Enter
// (the area goes to the clipboard); Esc, or a right click without an area,
// cancels, and a right click drops the area.
#pragma once

#include "controls/CSelectRectTracker.h"
#include "remote/ScreenGrab.h"

#include <QDialog>
#include <functional>

class CScreenCaptureDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CScreenCaptureDlg(const DesktopPicture &desktop, QWidget *parent = nullptr);

    // The chosen area in the dialog's coordinates (empty: none yet).
    QRect area() const { return m_hasArea ? m_tracker.rect() : QRect(); }
    void setArea(const QRect &area);
    // The picture of the chosen area, once accepted.
    QImage captured() const { return m_captured; }

    // Takes the area: onto the clipboard, and the dialog ends with OK.
    void accept() override;

    // The hint shown while the user chooses, and where it stands: above the
    // area, kept inside the screen that holds it.
    QString hintText() const;
    QRect hintRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    DesktopPicture m_desktop;
    CSelectRectTracker m_tracker;
    bool m_hasArea = false;
    enum class Drag { None, New, Track } m_drag = Drag::None;
    CSelectRectTracker::Hit m_hit = CSelectRectTracker::Nothing;
    QPoint m_from;
    QImage m_captured;
};

// Where a hint of the given size stands: left-aligned above the area (its
// top-left corner of the screen without one); below the area when there is
// no room above, inside its top when there is none below either; then moved
// within the screen (all in one coordinate system).
QRect PlaceCaptureHint(const QSize &hint, const QRect &area, const QRect &screen);

// The capture as a chat window runs it: the window is hidden first when asked
// (and the desktop grabbed once it has had time to vanish, about 200 ms), or
// made opaque for the grab when it is translucent; the capture dialog runs;
// the window comes back as it was. The chosen area, also on the clipboard;
// null when the user cancelled or the desktop cannot be captured (the user
// is told why).
QImage CaptureScreenArea(QWidget *window, bool hideWindow);
inline constexpr int kCaptureHideDelayMs = 200;

// Tests answer the dialog instead of the user: the hook gets the open dialog
// and returns its result (an empty function puts exec() back).
using CaptureDialogHook = std::function<int(CScreenCaptureDlg &dialog)>;
void SetCaptureDialogHook(CaptureDialogHook hook);

// The strip of eight 16-pixel buttons of the main panel: a raised frame
// shows under the mouse, a click reports the button's index (0..7).
#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QWidget>

class CMainToolBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonCount = 8;
    static constexpr int kButtonWidth = 25;
    static constexpr QSize kSize{198, 16};

    explicit CMainToolBar(QWidget *parent = nullptr);

    // Places the strip at (x, y) of the parent with its fixed size.
    void Create(int x, int y);
    void SetBkColor(const QColor &color);
    QColor bkColor() const { return m_background; }
    int hoverIndex() const { return m_hover; }

    // The button under x: x / 25, or -1 beyond the eighth (and left of 0).
    static int ButtonAt(int x);
    static QString ToolTipText(int index);

    QSize sizeHint() const override { return kSize; }

signals:
    void buttonClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool event(QEvent *event) override;

private:
    void setHover(int index);

    QColor m_background{217, 236, 250};
    int m_hover = -1;
    QBasicTimer m_leaveTimer;
};

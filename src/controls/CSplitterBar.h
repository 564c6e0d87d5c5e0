// A bar between two panes that the user drags. While dragged it reports the
// cursor's screen position to its owner; the release is reported once with
// the point (−1, −1). A horizontal bar lies between an upper and a lower pane.
#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

class CSplitterBar : public QWidget
{
    Q_OBJECT
public:
    explicit CSplitterBar(QWidget *parent = nullptr);

    void SetBarColor(const QColor &color);
    QColor barColor() const { return m_color; }
    void SetHorizontal(bool horizontal);
    bool isHorizontal() const { return m_horizontal; }
    bool isDragging() const { return m_dragging; }

signals:
    // The cursor position in screen coordinates while dragging, (−1, −1) when
    // the bar is let go; horizontal tells which kind of bar moved.
    void dragged(const QPoint &screenPos, bool horizontal);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_color = Qt::white;
    bool m_horizontal = true;
    bool m_dragging = false;
};

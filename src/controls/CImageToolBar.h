// The tool strip of the doodle board: 17 buttons of 20 × 20 pixels
// (selection, eraser, fill, colour picker, brush, pencil, text, spray, curve,
// line, arrow, rectangle, polygon, ellipse, rounded rectangle, undo, redo)
// with tips and a hover highlight. A click sends the board command of the
// button (1..15 the tools, 17 undo, 18 redo); undo and redo are greyed while
// there is nothing to undo or redo.
#pragma once

#include <QColor>
#include <QWidget>

class CImageToolBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kControlId = 1181;
    static constexpr int kButtons = 17;
    static constexpr int kSide = 20;

    explicit CImageToolBar(QWidget *parent = nullptr);

    void SetColors(const QColor &background, const QColor &frame);
    void SetUndoState(bool canUndo, bool canRedo);
    // Shows the board's current tool pressed in (another value shows none).
    void SetCurrentTool(int tool);

    // The board command of button 0..16, and the button under a point (-1: none).
    static int CommandOf(int button);
    static int ButtonAt(const QPoint &point);
    static QString TipOf(int button);
    bool isEnabledButton(int button) const;

    QSize sizeHint() const override { return QSize(kButtons * kSide, kSide); }

signals:
    void commandChosen(int code);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    QColor m_background = QColor(0xE8, 0xE8, 0xFF);
    QColor m_frame = QColor(0x94, 0x94, 0xE9);
    bool m_canUndo = false;
    bool m_canRedo = false;
    int m_tool = 0;
    int m_hover = -1;
    int m_pressed = -1;
};

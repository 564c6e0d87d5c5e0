// The picture of the doodle board and everything that draws on it, without a
// window: the fifteen tools driven by the mouse (in picture coordinates),
// the commands and property settings, undo and redo, the selection, a
// floating picture and the text tool's box. The board window (CDoodleBoard)
// feeds it the mouse and draws what it holds.
#pragma once

#include "remote/DoodleCommands.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <deque>

class QPainter;
class QRandomGenerator;

class DoodleCanvas : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUndoDepth = 30;
    // A text box clicked rather than dragged.
    static constexpr QSize kDefaultTextBox{120, 24};

    explicit DoodleCanvas(QObject *parent = nullptr);

    // The part of the picture the board shows; the picture grows to hold it
    // and never loses what was drawn when the board shrinks.
    void Resize(const QSize &size);
    QSize size() const { return m_size; }
    const QImage &image() const { return m_image; }

    // 1..15, or 16 while a pasted picture floats.
    int tool() const;
    const DoodleProperties &properties() const { return m_props; }
    QColor foreground() const { return m_fg; }
    QColor background() const { return m_bg; }
    void SetColors(const QColor &foreground, const QColor &background);
    // The text tool's font and colour (the colour becomes the foreground).
    QFont textFont() const { return m_textFont; }
    void SetTextFont(const QFont &font, const QColor &color);
    // The spray and its tests draw from this generator (the global one by default).
    void setRandom(QRandomGenerator *random) { m_random = random; }

    // Codes 1..15 and 17..34; the clipboard commands (16, 36, 37) and saving
    // (35) belong to the board. False for a code or value not taken.
    bool Command(int code, int value = 0);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The current picture becomes an undo step.
    void PushUndo();

    // Something was drawn since the board was created or cleared.
    bool HasDrawing() const { return m_drawn; }
    bool HasSelection() const { return !m_selection.isEmpty(); }
    QRect selection() const { return m_selection; }
    // The finished picture: the selection's content, else the shown part of
    // the picture; null when nothing was drawn.
    QImage Picture() const;
    // What copy takes: the selection's content, else the shown picture.
    QImage CopyArea() const;
    // Cut: the selection (else the whole picture) is filled with the background.
    void CutArea();

    // A picture placed on the board: floating (it can be moved until it is
    // committed) or drawn into the picture at once.
    void PutBitmap(const QImage &bitmap, bool floating, QPoint at = QPoint(0, 0));
    bool isFloating() const { return !m_floating.isNull(); }
    QRect floatingRect() const { return QRect(m_floatingAt, m_floating.size()); }
    // Renders the pending text box or the floating picture into the picture.
    void CommitFloating();

    bool hasTextBox() const { return !m_textBox.isEmpty(); }
    QRect textBox() const { return m_textBox; }
    QString text() const { return m_text; }
    void SetText(const QString &text) { m_text = text; }

    // ---- the mouse ----
    void Press(QPoint at, Qt::MouseButton button);
    void Move(QPoint at);
    void Release(QPoint at);
    void DoubleClick(QPoint at);
    // One burst of the spray while its button is held.
    void SprayTick();
    bool isSpraying() const { return m_spraying; }
    // What is being drawn over the picture: the shape in progress, the
    // selection, the floating picture and the text box's frame.
    void PaintOverlay(QPainter &painter) const;

signals:
    void undoStateChanged(bool canUndo, bool canRedo);
    // After a command and when the user draws.
    void toolChanged(int tool);
    // The colour picker chose a colour.
    void colorsChanged(const QColor &foreground, const QColor &background);
    // A text box appeared, moved or went.
    void textBoxChanged();
    void changed();

private:
    struct Step
    {
        QImage image;
        bool drawn = false;
    };

    QRect area() const; // the selection, else the shown picture
    QRect drawnBounds() const;
    void setTool(int tool);
    void finishShape();
    void undo();
    void redo();
    void restore(const Step &step);
    void grow();
    void modified();
    void notifyUndo();
    void applyToArea(int code);
    void dropPending();

    QPen shapePen() const;
    void drawShape(QPainter &p, int tool, const QRect &rect) const;
    void drawLine(QPainter &p, QPoint from, QPoint to, bool arrow) const;
    void drawFreehand(QPainter &p) const;
    void drawPolygon(QPainter &p, const QList<QPoint> &points) const;
    void drawCurve(QPainter &p) const;
    void eraseAlong(QPoint from, QPoint to);
    void floodFill(QPoint at, const QColor &color);
    void renderText(QPainter &p) const;

    QImage m_image;
    QSize m_size{1, 1};
    int m_tool = DoodleTool::Pencil;
    int m_toolBeforePick = DoodleTool::Pencil;
    DoodleProperties m_props;
    QColor m_fg = Qt::black;
    QColor m_bg = Qt::white;
    QFont m_textFont;
    QRandomGenerator *m_random = nullptr;
    std::deque<Step> m_undo;
    std::deque<Step> m_redo;
    bool m_drawn = false;

    // the drag in progress
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_start;
    QPoint m_last;
    QImage m_base; // the picture when a freehand stroke began
    QList<QPoint> m_path;
    bool m_spraying = false;
    bool m_movingFloating = false;
    QPoint m_grab; // where the floating picture was taken, relative to it

    QRect m_selection;
    QRect m_textBox;
    QString m_text;
    bool m_draggingText = false;
    QImage m_floating;
    QPoint m_floatingAt;
    QList<QPoint> m_polygon; // the last point follows the mouse
    QList<QPoint> m_curve; // start, end, two control points
    int m_curveStage = 0; // 0 none, 1 the line, 2 and 3 the bends
};

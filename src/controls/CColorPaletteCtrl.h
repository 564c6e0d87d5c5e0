// The colour strip of the doodle board (160 × 20 pixels): the current
// foreground and background colours at the left, then 28 colours in two
// rows of 14 cells. A left click picks the foreground colour, a right click
// the background colour, a double click edits the cell's colour.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>

class CColorPaletteCtrl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kControlId = 1180;
    static constexpr int kColumns = 14;
    static constexpr int kCells = 28;
    static constexpr QSize kSize{160, 20};

    explicit CColorPaletteCtrl(QWidget *parent = nullptr);

    QColor foreground() const { return m_fg; }
    QColor background() const { return m_bg; }
    // Shows the colours without telling anyone (the board's own changes).
    void SetColors(const QColor &foreground, const QColor &background);
    QColor cellColor(int index) const;

    // The cell under a point, -1 for none; a cell's rectangle.
    static int CellAt(const QPoint &point);
    static QRect CellRect(int index);

    // Asks the user for a colour, starting from one; invalid when cancelled
    // (the colour dialog; tests answer instead).
    using ColorChooser = std::function<QColor(QWidget *parent, const QColor &start)>;
    static void SetColorChooser(ColorChooser chooser);

    QSize sizeHint() const override { return kSize; }

signals:
    void colorsChanged(const QColor &foreground, const QColor &background);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    std::array<QColor, kCells> m_cells;
    QColor m_fg = Qt::black;
    QColor m_bg = Qt::white;
};

#include "controls/CColorPaletteCtrl.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kSwatchWidth = 20; // the current colours
constexpr int kCellSide = 10;

// The colours of the two rows, as painting programs offer them.
constexpr std::array<QRgb, CColorPaletteCtrl::kCells> kDefaultCells{
    0x000000, 0x808080, 0x800000, 0x808000, 0x008000, 0x008080, 0x000080, 0x800080, 0x808040, 0x004040, 0x0080FF,
    0x004080, 0x8000FF, 0x804000, //
    0xFFFFFF, 0xC0C0C0, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0xFFFF80, 0x00FF80, 0x80FFFF,
    0x8080FF, 0xFF0080, 0xFF8040};

CColorPaletteCtrl::ColorChooser &chooserSlot()
{
    static CColorPaletteCtrl::ColorChooser chooser;
    return chooser;
}

} // namespace

CColorPaletteCtrl::CColorPaletteCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QString::number(kControlId));
    setFixedHeight(kSize.height());
    for (int i = 0; i < kCells; ++i)
        m_cells[size_t(i)] = QColor::fromRgb(kDefaultCells[size_t(i)]);
    setToolTip(QStringLiteral("左键选择前景色，右键选择背景色，双击修改颜色"));
}

void CColorPaletteCtrl::SetColorChooser(ColorChooser chooser)
{
    chooserSlot() = std::move(chooser);
}

void CColorPaletteCtrl::SetColors(const QColor &foreground, const QColor &background)
{
    if (foreground.isValid())
        m_fg = foreground;
    if (background.isValid())
        m_bg = background;
    update();
}

QColor CColorPaletteCtrl::cellColor(int index) const
{
    return index >= 0 && index < kCells ? m_cells[size_t(index)] : QColor();
}

QRect CColorPaletteCtrl::CellRect(int index)
{
    if (index < 0 || index >= kCells)
        return QRect();
    return QRect(kSwatchWidth + (index % kColumns) * kCellSide, (index / kColumns) * kCellSide, kCellSide, kCellSide);
}

int CColorPaletteCtrl::CellAt(const QPoint &point)
{
    if (point.x() < kSwatchWidth || point.y() < 0 || point.y() >= 2 * kCellSide)
        return -1;
    const int column = (point.x() - kSwatchWidth) / kCellSide;
    if (column >= kColumns)
        return -1;
    return (point.y() / kCellSide) * kColumns + column;
}

void CColorPaletteCtrl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(QRect(0, 0, kSwatchWidth, kSize.height()), palette().window());
    // The background colour behind the foreground colour.
    p.setPen(Qt::black);
    p.fillRect(QRect(7, 7, 11, 11), m_bg);
    p.drawRect(QRect(7, 7, 10, 10));
    p.fillRect(QRect(2, 2, 11, 11), m_fg);
    p.drawRect(QRect(2, 2, 10, 10));
    for (int i = 0; i < kCells; ++i) {
        const QRect cell = CellRect(i);
        p.fillRect(cell, m_cells[size_t(i)]);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
}

void CColorPaletteCtrl::mousePressEvent(QMouseEvent *event)
{
    const int index = CellAt(event->position().toPoint());
    if (index < 0)
        return;
    if (event->button() == Qt::LeftButton)
        m_fg = m_cells[size_t(index)];
    else if (event->button() == Qt::RightButton)
        m_bg = m_cells[size_t(index)];
    else
        return;
    update();
    emit colorsChanged(m_fg, m_bg);
}

void CColorPaletteCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int index = CellAt(event->position().toPoint());
    if (index < 0 || event->button() != Qt::LeftButton)
        return;
    const QColor start = m_cells[size_t(index)];
    const QColor chosen = chooserSlot() ? chooserSlot()(this, start) : QColorDialog::getColor(start, this);
    if (!chosen.isValid())
        return;
    m_cells[size_t(index)] = chosen;
    m_fg = chosen;
    update();
    emit colorsChanged(m_fg, m_bg);
}

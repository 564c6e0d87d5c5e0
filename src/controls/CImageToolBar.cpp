#include "controls/CImageToolBar.h"
#include "core/PlainText.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

constexpr int kUndoButton = 15;
constexpr int kRedoButton = 16;

// The picture of a button, drawn into the 16 × 16 square at its centre.
void drawGlyph(QPainter &p, int button, const QRect &r, bool enabled)
{
    const QColor ink = enabled ? QColor(40, 40, 40) : QColor(160, 160, 160);
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.2));
    p.setBrush(Qt::NoBrush);
    switch (button) {
    case 0: // selection
        p.setPen(QPen(ink, 1, Qt::DashLine));
        p.drawRect(QRectF(2.5, 3.5, 11, 9));
        break;
    case 1: // eraser
        p.setBrush(QColor(250, 200, 210));
        p.drawPolygon(QPolygonF({ QPointF(2, 11), QPointF(8, 5), QPointF(13, 10), QPointF(9, 14), QPointF(5, 14) }));
        break;
    case 2: // fill
        p.setBrush(QColor(90, 160, 230));
        p.drawPolygon(QPolygonF({ QPointF(3, 8), QPointF(8, 3), QPointF(13, 8), QPointF(8, 13) }));
        p.drawLine(QPointF(13, 9), QPointF(14, 13));
        break;
    case 3: // colour picker
        p.drawLine(QPointF(3, 13), QPointF(10, 6));
        p.setBrush(ink);
        p.drawEllipse(QPointF(11.5, 4.5), 2.5, 2.5);
        break;
    case 4: // brush
        p.setBrush(QColor(200, 120, 60));
        p.drawLine(QPointF(13, 2), QPointF(7, 9));
        p.drawEllipse(QRectF(3, 9, 5, 5));
        break;
    case 5: // pencil
        p.setBrush(QColor(240, 200, 60));
        p.drawPolygon(QPolygonF({ QPointF(3, 13), QPointF(4, 10), QPointF(12, 2), QPointF(14, 4), QPointF(6, 12) }));
        break;
    case 6: { // text
        QFont f = p.font();
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case 7: // spray
        p.setBrush(ink);
        for (const QPointF &dot : { QPointF(4, 4), QPointF(8, 3), QPointF(6, 7), QPointF(11, 6), QPointF(3, 10),
                 QPointF(9, 10), QPointF(12, 12), QPointF(6, 13) })
            p.drawEllipse(dot, 0.8, 0.8);
        break;
    case 8: { // curve
        QPainterPath path(QPointF(2, 13));
        path.cubicTo(QPointF(4, 0), QPointF(10, 16), QPointF(14, 3));
        p.drawPath(path);
        break;
    }
    case 9: // line
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
        break;
    case 10: // arrow
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
        p.drawLine(QPointF(14, 2), QPointF(8, 3));
        p.drawLine(QPointF(14, 2), QPointF(13, 8));
        break;
    case 11: // rectangle
        p.drawRect(QRectF(2.5, 4.5, 11, 8));
        break;
    case 12: // polygon
        p.drawPolygon(QPolygonF({ QPointF(3, 13), QPointF(2, 6), QPointF(8, 2), QPointF(14, 7), QPointF(10, 14) }));
        break;
    case 13: // ellipse
        p.drawEllipse(QRectF(2, 4, 12, 9));
        break;
    case 14: // rounded rectangle
        p.drawRoundedRect(QRectF(2.5, 4.5, 11, 8), 3, 3);
        break;
    case kUndoButton:
    case kRedoButton: {
        const bool undo = button == kUndoButton;
        QPainterPath path;
        path.moveTo(undo ? QPointF(4, 7) : QPointF(12, 7));
        path.cubicTo(undo ? QPointF(10, 3) : QPointF(6, 3), undo ? QPointF(15, 9) : QPointF(1, 9),
            undo ? QPointF(11, 13) : QPointF(5, 13));
        p.drawPath(path);
        const QPointF tip = undo ? QPointF(4, 7) : QPointF(12, 7);
        p.drawLine(tip, tip + QPointF(undo ? 4 : -4, -3));
        p.drawLine(tip, tip + QPointF(undo ? 3 : -3, 3));
        break;
    }
    default:
        break;
    }
    p.restore();
}

} // namespace

CImageToolBar::CImageToolBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QString::number(kControlId));
    setMouseTracking(true);
    setFixedHeight(kSide);
}

int CImageToolBar::CommandOf(int button)
{
    if (button >= 0 && button < kUndoButton)
        return button + 1;
    if (button == kUndoButton)
        return 17;
    if (button == kRedoButton)
        return 18;
    return 0;
}

int CImageToolBar::ButtonAt(const QPoint &point)
{
    if (point.y() < 0 || point.y() >= kSide || point.x() < 0)
        return -1;
    const int button = point.x() / kSide;
    return button < kButtons ? button : -1;
}

QString CImageToolBar::TipOf(int button)
{
    static const char *const tips[kButtons] = { "选择", "橡皮", "填充", "取色", "刷子", "铅笔", "文字", "喷枪", "曲线",
        "直线", "箭头", "矩形", "多边形", "椭圆", "圆角矩形", "撤消", "重做" };
    return button >= 0 && button < kButtons ? QString::fromUtf8(tips[button]) : QString();
}

bool CImageToolBar::isEnabledButton(int button) const
{
    if (button == kUndoButton)
        return m_canUndo;
    if (button == kRedoButton)
        return m_canRedo;
    return button >= 0 && button < kButtons;
}

void CImageToolBar::SetColors(const QColor &background, const QColor &frame)
{
    m_background = background;
    m_frame = frame;
    update();
}

void CImageToolBar::SetUndoState(bool canUndo, bool canRedo)
{
    m_canUndo = canUndo;
    m_canRedo = canRedo;
    update();
}

void CImageToolBar::SetCurrentTool(int tool)
{
    m_tool = tool;
    update();
}

void CImageToolBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    for (int i = 0; i < kButtons; ++i) {
        const QRect cell(i * kSide, 0, kSide, kSide);
        if (cell.left() >= width())
            break;
        const bool enabled = isEnabledButton(i);
        const bool current = CommandOf(i) == m_tool;
        if (enabled && (i == m_hover || current || i == m_pressed)) {
            p.fillRect(cell.adjusted(1, 1, -1, -1), current || i == m_pressed ? m_frame.lighter(150) : Qt::white);
            p.setPen(m_frame);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
        drawGlyph(p, i, QRect(cell.left() + 2, cell.top() + 2, 16, 16), enabled);
    }
}

void CImageToolBar::mouseMoveEvent(QMouseEvent *event)
{
    const int hover = ButtonAt(event->position().toPoint());
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void CImageToolBar::mousePressEvent(QMouseEvent *event)
{
    const int button = ButtonAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && isEnabledButton(button)) {
        m_pressed = button;
        update();
    }
}

void CImageToolBar::mouseReleaseEvent(QMouseEvent *event)
{
    const int button = ButtonAt(event->position().toPoint());
    const bool click = button == m_pressed && isEnabledButton(button);
    m_pressed = -1;
    update();
    if (click)
        emit commandChosen(CommandOf(button));
}

void CImageToolBar::leaveEvent(QEvent *event)
{
    m_hover = -1;
    update();
    QWidget::leaveEvent(event);
}

bool CImageToolBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = TipOf(ButtonAt(help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), PlainText::ToolTip(tip), this);
        return true;
    }
    return QWidget::event(event);
}

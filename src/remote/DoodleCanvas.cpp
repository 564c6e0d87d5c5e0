#include "remote/DoodleCanvas.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>
#include <vector>

namespace {

bool isShapeTool(int tool)
{
    return tool == DoodleTool::Line || tool == DoodleTool::Arrow || tool == DoodleTool::Rectangle
        || tool == DoodleTool::Ellipse || tool == DoodleTool::RoundRect;
}

QImage blank(const QSize &size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void drawDashedFrame(QPainter &p, const QRect &rect)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
    p.restore();
}

} // namespace

DoodleCanvas::DoodleCanvas(QObject *parent)
    : QObject(parent)
    , m_image(blank(QSize(1, 1)))
{
    m_textFont.setPixelSize(14);
}

// ---- size and state -----------------------------------------------------

void DoodleCanvas::Resize(const QSize &size)
{
    m_size = size.expandedTo(QSize(1, 1));
    grow();
    emit changed();
}

void DoodleCanvas::grow()
{
    if (m_image.width() >= m_size.width() && m_image.height() >= m_size.height())
        return;
    QImage bigger = blank(m_image.size().expandedTo(m_size));
    QPainter p(&bigger);
    p.drawImage(0, 0, m_image);
    p.end();
    m_image = bigger;
}

int DoodleCanvas::tool() const
{
    return isFloating() ? int(DoodleTool::Floating) : m_tool;
}

void DoodleCanvas::SetColors(const QColor &foreground, const QColor &background)
{
    if (foreground.isValid())
        m_fg = foreground;
    if (background.isValid())
        m_bg = background;
    emit changed();
}

void DoodleCanvas::SetTextFont(const QFont &font, const QColor &color)
{
    m_textFont = font;
    if (color.isValid())
        m_fg = color;
    emit textBoxChanged();
}

QRect DoodleCanvas::area() const
{
    const QRect shown = QRect(QPoint(0, 0), m_size).intersected(m_image.rect());
    return HasSelection() ? m_selection.intersected(shown) : shown;
}

QRect DoodleCanvas::drawnBounds() const
{
    const QRect shown = QRect(QPoint(0, 0), m_size).intersected(m_image.rect());
    int left = shown.right() + 1, right = -1, top = shown.bottom() + 1, bottom = -1;
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
        for (int x = shown.left(); x <= shown.right(); ++x) {
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

void DoodleCanvas::modified()
{
    m_drawn = true;
    emit changed();
}

// ---- undo ---------------------------------------------------------------

void DoodleCanvas::notifyUndo()
{
    emit undoStateChanged(CanUndo(), CanRedo());
}

void DoodleCanvas::PushUndo()
{
    m_undo.push_back({ m_image, m_drawn });
    while (m_undo.size() > size_t(kUndoDepth))
        m_undo.pop_front();
    m_redo.clear();
    notifyUndo();
}

void DoodleCanvas::restore(const Step &step)
{
    m_image = step.image;
    m_drawn = step.drawn;
    grow();
    emit changed();
}

void DoodleCanvas::undo()
{
    if (m_undo.empty())
        return;
    m_redo.push_back({ m_image, m_drawn });
    const Step step = m_undo.back();
    m_undo.pop_back();
    restore(step);
    notifyUndo();
}

void DoodleCanvas::redo()
{
    if (m_redo.empty())
        return;
    m_undo.push_back({ m_image, m_drawn });
    const Step step = m_redo.back();
    m_redo.pop_back();
    restore(step);
    notifyUndo();
}

// ---- commands -----------------------------------------------------------

void DoodleCanvas::setTool(int tool)
{
    CommitFloating();
    finishShape();
    if (tool == DoodleTool::ColorPicker && m_tool != DoodleTool::ColorPicker)
        m_toolBeforePick = m_tool;
    if (tool != DoodleTool::Select)
        m_selection = QRect();
    m_tool = tool;
    emit changed();
}

void DoodleCanvas::dropPending()
{
    m_floating = QImage();
    m_polygon.clear();
    m_curve.clear();
    m_curveStage = 0;
    m_selection = QRect();
    if (hasTextBox()) {
        m_textBox = QRect();
        m_text.clear();
        emit textBoxChanged();
    }
}

bool DoodleCanvas::Command(int code, int value)
{
    using namespace DoodleCmd;
    if (code >= DoodleTool::Select && code <= DoodleTool::RoundRect) {
        setTool(code);
    } else if (code >= PencilType && code <= TextFill) {
        if (!m_props.set(code, value))
            return false;
        if (code == TextFill)
            emit textBoxChanged();
    } else {
        switch (code) {
        case Undo:
            CommitFloating();
            undo();
            break;
        case Redo:
            redo();
            break;
        case FlipHorizontal:
        case FlipVertical:
        case StretchHorizontal:
        case StretchVertical:
        case Invert:
            CommitFloating();
            applyToArea(code);
            break;
        case Clear:
            PushUndo();
            dropPending();
            m_image = blank(m_image.size());
            m_drawn = false;
            emit changed();
            break;
        case Restore:
            if (!CanUndo())
                return false;
            return Command(Undo);
        default:
            return false;
        }
    }
    emit toolChanged(tool());
    return true;
}

void DoodleCanvas::applyToArea(int code)
{
    using namespace DoodleCmd;
    if (code == StretchHorizontal || code == StretchVertical) {
        // The selection, or what is drawn, stretched across the whole board.
        const QRect source = HasSelection() ? area() : drawnBounds();
        if (source.isEmpty())
            return;
        const QRect target = code == StretchHorizontal ? QRect(0, source.top(), m_size.width(), source.height())
                                                       : QRect(source.left(), 0, source.width(), m_size.height());
        PushUndo();
        const QImage piece = m_image.copy(source);
        QPainter p(&m_image);
        p.fillRect(source, Qt::white);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, piece);
        p.end();
        if (HasSelection())
            m_selection = target;
        modified();
        return;
    }
    const QRect r = area();
    if (r.isEmpty())
        return;
    PushUndo();
    QImage piece = m_image.copy(r);
    if (code == Invert)
        piece.invertPixels();
    else
        piece = piece.mirrored(code == FlipHorizontal, code == FlipVertical);
    QPainter p(&m_image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), piece);
    p.end();
    modified();
}

QImage DoodleCanvas::Picture() const
{
    if (!m_drawn)
        return QImage();
    const QRect r = area();
    return r.isEmpty() ? QImage() : m_image.copy(r);
}

QImage DoodleCanvas::CopyArea() const
{
    return m_image.copy(area());
}

void DoodleCanvas::CutArea()
{
    CommitFloating();
    PushUndo();
    QPainter p(&m_image);
    p.fillRect(area(), m_bg);
    p.end();
    modified();
}

// ---- pictures and text --------------------------------------------------

void DoodleCanvas::PutBitmap(const QImage &bitmap, bool floating, QPoint at)
{
    if (bitmap.isNull())
        return;
    CommitFloating();
    finishShape();
    if (floating) {
        m_floating = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_floatingAt = at;
        emit changed();
        emit toolChanged(tool());
        return;
    }
    PushUndo();
    QPainter p(&m_image);
    p.drawImage(at, bitmap);
    p.end();
    modified();
}

void DoodleCanvas::CommitFloating()
{
    if (isFloating()) {
        PushUndo();
        QPainter p(&m_image);
        p.drawImage(m_floatingAt, m_floating);
        p.end();
        m_floating = QImage();
        m_movingFloating = false;
        modified();
        emit toolChanged(tool());
    }
    if (hasTextBox()) {
        if (!m_text.isEmpty()) {
            PushUndo();
            QPainter p(&m_image);
            renderText(p);
            p.end();
            modified();
        }
        m_textBox = QRect();
        m_text.clear();
        emit textBoxChanged();
    }
}

void DoodleCanvas::renderText(QPainter &p) const
{
    QRect box = m_textBox;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    p.setFont(m_textFont);
    if (m_props.textMode == 3) {
        // Opaque, as large as the text.
        const QRect needed = QFontMetrics(m_textFont).boundingRect(QRect(box.topLeft(), QSize(4096, 4096)),
            Qt::AlignLeft | Qt::AlignTop, m_text);
        box = QRect(box.topLeft(), needed.size() + QSize(4, 2));
    }
    if (m_props.textMode != 1)
        p.fillRect(box, m_bg);
    p.setPen(m_fg);
    p.drawText(box.adjusted(2, 1, -2, -1), flags, m_text);
}

// ---- drawing ------------------------------------------------------------

QPen DoodleCanvas::shapePen() const
{
    const QColor color = m_button == Qt::RightButton ? m_bg : m_fg;
    QPen pen(color, m_props.lineWidth, DoodlePenStyle(m_props.lineType), Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

void DoodleCanvas::drawLine(QPainter &p, QPoint from, QPoint to, bool arrow) const
{
    const QPen pen = shapePen();
    p.setPen(pen);
    p.drawLine(from, to);
    if (!arrow || from == to)
        return;
    // The head: two strokes of 10 pixels (more for wide lines) at ±25°.
    const double angle = std::atan2(double(from.y() - to.y()), double(from.x() - to.x()));
    const double length = 10 + 2 * m_props.lineWidth;
    QPen head = pen;
    head.setStyle(Qt::SolidLine);
    p.setPen(head);
    for (const double turn : { -0.44, 0.44 }) {
        p.drawLine(QPointF(to), QPointF(to.x() + length * std::cos(angle + turn), to.y() + length * std::sin(angle + turn)));
    }
}

void DoodleCanvas::drawShape(QPainter &p, int tool, const QRect &rect) const
{
    const QColor stroke = m_button == Qt::RightButton ? m_bg : m_fg;
    const QColor fill = m_button == Qt::RightButton ? m_fg : m_bg;
    const int type = m_props.fillType;
    const bool border = type == DoodleFill::Border || type == DoodleFill::Both || type == DoodleFill::HorizontalBorder
        || type == DoodleFill::VerticalBorder || type == DoodleFill::CentreBorder;
    // Gradients run from the line colour to the fill colour.
    const auto gradient = [&stroke, &fill](QGradient g) {
        g.setColorAt(0, stroke);
        g.setColorAt(1, fill);
        return QBrush(g);
    };
    QBrush brush = Qt::NoBrush;
    switch (type) {
    case DoodleFill::Inside:
        brush = stroke;
        break;
    case DoodleFill::Both:
        brush = fill;
        break;
    case DoodleFill::HorizontalBorder:
    case DoodleFill::Horizontal:
        brush = gradient(QLinearGradient(rect.topLeft(), rect.topRight()));
        break;
    case DoodleFill::VerticalBorder:
    case DoodleFill::Vertical:
        brush = gradient(QLinearGradient(rect.topLeft(), rect.bottomLeft()));
        break;
    case DoodleFill::CentreBorder:
    case DoodleFill::Centre:
        brush = gradient(QRadialGradient(QRectF(rect).center(), std::max(rect.width(), rect.height()) / 2.0));
        break;
    default:
        break;
    }
    p.setPen(border ? shapePen() : QPen(Qt::NoPen));
    p.setBrush(brush);
    const QRect r = rect.normalized();
    if (tool == DoodleTool::Rectangle)
        p.drawRect(r);
    else if (tool == DoodleTool::Ellipse)
        p.drawEllipse(r);
    else if (tool == DoodleTool::RoundRect)
        p.drawRoundedRect(r, 8, 8);
    else if (tool == DoodleTool::Polygon)
        p.drawPolygon(QPolygon(m_polygon));
}

void DoodleCanvas::drawFreehand(QPainter &p) const
{
    const QColor color = m_button == Qt::RightButton ? m_bg : m_fg;
    const bool brush = m_tool == DoodleTool::Brush;
    QPen pen(color, brush ? m_props.brushWidth : m_props.lineWidth,
        DoodlePenStyle(brush ? m_props.brushType : m_props.pencilType), Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, brush);
    if (m_path.size() == 1)
        p.drawPoint(m_path.first());
    else
        p.drawPolyline(QPolygon(m_path));
}

void DoodleCanvas::drawPolygon(QPainter &p, const QList<QPoint> &points) const
{
    p.setPen(shapePen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygon(points));
}

void DoodleCanvas::drawCurve(QPainter &p) const
{
    if (m_curve.size() != 4)
        return;
    QPainterPath path(m_curve[0]);
    path.cubicTo(m_curve[2], m_curve[3], m_curve[1]);
    p.setPen(shapePen());
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPath(path);
}

void DoodleCanvas::eraseAlong(QPoint from, QPoint to)
{
    const int w = m_props.eraserWidth;
    QPainter p(&m_image);
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0 : double(i) / steps;
        const QPoint at(qRound(from.x() + (to.x() - from.x()) * t), qRound(from.y() + (to.y() - from.y()) * t));
        p.fillRect(QRect(at.x() - w / 2, at.y() - w / 2, w, w), m_bg);
    }
}

void DoodleCanvas::floodFill(QPoint at, const QColor &color)
{
    const QRect bounds = QRect(QPoint(0, 0), m_size).intersected(m_image.rect());
    if (!bounds.contains(at))
        return;
    const QRgb target = m_image.pixel(at);
    const QRgb fill = color.rgb() | 0xFF000000;
    if (target == fill)
        return;
    PushUndo();
    std::vector<QPoint> stack{ at };
    while (!stack.empty()) {
        const QPoint pt = stack.back();
        stack.pop_back();
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(pt.y()));
        if (line[pt.x()] != target)
            continue;
        int left = pt.x(), right = pt.x();
        while (left > bounds.left() && line[left - 1] == target)
            --left;
        while (right < bounds.right() && line[right + 1] == target)
            ++right;
        for (int x = left; x <= right; ++x)
            line[x] = fill;
        for (const int y : { pt.y() - 1, pt.y() + 1 }) {
            if (y < bounds.top() || y > bounds.bottom())
                continue;
            const auto *next = reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
            bool inSpan = false;
            for (int x = left; x <= right; ++x) {
                if (next[x] == target) {
                    if (!inSpan)
                        stack.push_back(QPoint(x, y));
                    inSpan = true;
                } else {
                    inSpan = false;
                }
            }
        }
    }
    modified();
}

void DoodleCanvas::SprayTick()
{
    if (!m_spraying)
        return;
    QRandomGenerator *random = m_random ? m_random : QRandomGenerator::global();
    const int radius = m_props.spraySize;
    QPainter p(&m_image);
    p.setPen(m_button == Qt::RightButton ? m_bg : m_fg);
    for (int i = 0; i < radius * 2; ++i) {
        const double angle = random->bounded(2 * M_PI);
        const double distance = radius * std::sqrt(random->bounded(1.0));
        p.drawPoint(QPointF(m_last.x() + distance * std::cos(angle), m_last.y() + distance * std::sin(angle)).toPoint());
    }
    p.end();
    modified();
}

void DoodleCanvas::finishShape()
{
    if (m_tool == DoodleTool::Polygon && !m_polygon.isEmpty()) {
        QList<QPoint> points;
        for (const QPoint &pt : std::as_const(m_polygon)) {
            if (points.isEmpty() || points.last() != pt)
                points.append(pt);
        }
        m_polygon = points;
        if (points.size() >= 2) {
            PushUndo();
            QPainter p(&m_image);
            if (points.size() >= 3)
                drawShape(p, DoodleTool::Polygon, QPolygon(points).boundingRect());
            else
                drawPolygon(p, points);
            p.end();
            modified();
        }
        m_polygon.clear();
    }
    if (m_curveStage > 1) {
        PushUndo();
        QPainter p(&m_image);
        drawCurve(p);
        p.end();
        modified();
    }
    m_curve.clear();
    m_curveStage = 0;
}

// ---- the mouse ----------------------------------------------------------

void DoodleCanvas::Press(QPoint at, Qt::MouseButton button)
{
    if (isFloating()) {
        if (floatingRect().contains(at)) {
            m_movingFloating = true;
            m_grab = at - m_floatingAt;
            m_button = button;
            return;
        }
        CommitFloating();
    }
    m_button = button;
    m_start = m_last = at;
    switch (m_tool) {
    case DoodleTool::Select:
        m_selection = QRect();
        emit changed();
        break;
    case DoodleTool::Eraser:
        PushUndo();
        eraseAlong(at, at);
        modified();
        break;
    case DoodleTool::Fill:
        floodFill(at, button == Qt::RightButton ? m_bg : m_fg);
        break;
    case DoodleTool::ColorPicker: {
        const QRect shown = QRect(QPoint(0, 0), m_size).intersected(m_image.rect());
        if (shown.contains(at)) {
            const QColor picked = m_image.pixelColor(at);
            if (button == Qt::RightButton)
                m_bg = picked;
            else
                m_fg = picked;
            emit colorsChanged(m_fg, m_bg);
        }
        // The picker goes back to the tool it was taken from.
        m_tool = m_toolBeforePick;
        m_button = Qt::NoButton;
        emit toolChanged(tool());
        break;
    }
    case DoodleTool::Brush:
    case DoodleTool::Pencil: {
        PushUndo();
        m_base = m_image;
        m_path = { at };
        QPainter p(&m_image);
        drawFreehand(p);
        p.end();
        modified();
        break;
    }
    case DoodleTool::Text:
        if (hasTextBox() && m_textBox.contains(at))
            break;
        CommitFloating();
        m_draggingText = true;
        break;
    case DoodleTool::Spray:
        PushUndo();
        m_spraying = true;
        SprayTick();
        break;
    case DoodleTool::Curve:
        if (m_curveStage == 0) {
            m_curve = { at, at, at, at };
            m_curveStage = 1;
        } else {
            m_curve[m_curveStage] = at;
            if (m_curveStage == 2)
                m_curve[3] = at;
        }
        emit changed();
        break;
    case DoodleTool::Polygon:
        if (m_polygon.isEmpty())
            m_polygon = { at, at };
        else {
            m_polygon.last() = at;
            m_polygon.append(at);
        }
        emit changed();
        break;
    default:
        break;
    }
}

void DoodleCanvas::Move(QPoint at)
{
    if (m_tool == DoodleTool::Polygon && !m_polygon.isEmpty()) {
        m_polygon.last() = at;
        emit changed();
    }
    if (m_button == Qt::NoButton)
        return;
    if (m_movingFloating) {
        m_floatingAt = at - m_grab;
        emit changed();
        return;
    }
    const QPoint from = m_last;
    m_last = at;
    switch (m_tool) {
    case DoodleTool::Select:
        m_selection = QRect(m_start, at).normalized().intersected(QRect(QPoint(0, 0), m_size));
        emit changed();
        break;
    case DoodleTool::Eraser:
        eraseAlong(from, at);
        modified();
        break;
    case DoodleTool::Brush:
    case DoodleTool::Pencil: {
        m_path.append(at);
        m_image = m_base;
        QPainter p(&m_image);
        drawFreehand(p);
        p.end();
        modified();
        break;
    }
    case DoodleTool::Text:
        if (m_draggingText)
            emit changed();
        break;
    case DoodleTool::Curve:
        if (m_curveStage == 1) {
            m_curve[1] = at;
            m_curve[3] = at;
        } else if (m_curveStage >= 2) {
            m_curve[m_curveStage] = at;
            if (m_curveStage == 2)
                m_curve[3] = at;
        }
        emit changed();
        break;
    default:
        if (isShapeTool(m_tool))
            emit changed();
        break;
    }
}

void DoodleCanvas::Release(QPoint at)
{
    if (m_button == Qt::NoButton)
        return;
    if (m_movingFloating) {
        m_floatingAt = at - m_grab;
        m_movingFloating = false;
        m_button = Qt::NoButton;
        emit changed();
        return;
    }
    Move(at);
    bool drew = false;
    switch (m_tool) {
    case DoodleTool::Select:
        if (m_selection.width() < 2 || m_selection.height() < 2)
            m_selection = QRect();
        emit changed();
        break;
    case DoodleTool::Eraser:
    case DoodleTool::Brush:
    case DoodleTool::Pencil:
    case DoodleTool::Fill:
        drew = true;
        break;
    case DoodleTool::Spray:
        m_spraying = false;
        drew = true;
        break;
    case DoodleTool::Text:
        if (m_draggingText) {
            m_draggingText = false;
            QRect box = QRect(m_start, at).normalized();
            if (box.width() < 10 || box.height() < 10)
                box = QRect(m_start, kDefaultTextBox);
            m_textBox = box;
            m_text.clear();
            emit textBoxChanged();
        }
        break;
    case DoodleTool::Curve:
        if (m_curveStage == 1 && m_curve[0] == m_curve[1]) {
            m_curve.clear();
            m_curveStage = 0;
        } else if (m_curveStage == 3) {
            finishShape();
            drew = true;
        } else if (m_curveStage > 0) {
            ++m_curveStage;
        }
        emit changed();
        break;
    default:
        if (isShapeTool(m_tool) && at != m_start) {
            PushUndo();
            QPainter p(&m_image);
            if (m_tool == DoodleTool::Line || m_tool == DoodleTool::Arrow)
                drawLine(p, m_start, at, m_tool == DoodleTool::Arrow);
            else
                drawShape(p, m_tool, QRect(m_start, at));
            p.end();
            modified();
            drew = true;
        }
        break;
    }
    m_button = Qt::NoButton;
    m_base = QImage();
    if (drew)
        emit toolChanged(tool());
}

void DoodleCanvas::DoubleClick(QPoint at)
{
    if (m_tool != DoodleTool::Polygon || m_polygon.isEmpty())
        return;
    m_polygon.last() = at;
    finishShape();
    emit toolChanged(tool());
}

void DoodleCanvas::PaintOverlay(QPainter &p) const
{
    p.save();
    if (m_button != Qt::NoButton && !m_movingFloating && isShapeTool(m_tool) && m_last != m_start) {
        if (m_tool == DoodleTool::Line || m_tool == DoodleTool::Arrow)
            drawLine(p, m_start, m_last, m_tool == DoodleTool::Arrow);
        else
            drawShape(p, m_tool, QRect(m_start, m_last));
    }
    if (!m_polygon.isEmpty())
        drawPolygon(p, m_polygon);
    if (m_curveStage > 0)
        drawCurve(p);
    if (HasSelection())
        drawDashedFrame(p, m_selection);
    if (isFloating()) {
        p.drawImage(m_floatingAt, m_floating);
        drawDashedFrame(p, floatingRect());
    }
    if (m_draggingText && m_button != Qt::NoButton)
        drawDashedFrame(p, QRect(m_start, m_last).normalized());
    if (hasTextBox())
        drawDashedFrame(p, m_textBox.adjusted(-1, -1, 1, 1));
    p.restore();
}

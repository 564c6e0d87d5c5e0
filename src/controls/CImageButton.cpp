#include "controls/CImageButton.h"

#include <QPainter>

CImageButton::CImageButton(QWidget *parent)
    : QAbstractButton(parent)
{
    const QColor face = palette().color(QPalette::Button);
    const QColor text = palette().color(QPalette::ButtonText);
    m_colors = {face, text, face, text, face, text};
    setCursor(Qt::PointingHandCursor);
}

int CImageButton::masked(const QImage &image, const QColor &transparent, QPixmap &out)
{
    if (image.isNull())
        return InvalidBitmap;
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return NoMask;
    if (transparent.isValid()) {
        // The pixels of the transparent colour are left out.
        const QRgb key = transparent.rgb() & 0xFFFFFF;
        for (int y = 0; y < argb.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(argb.scanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
            }
        }
    }
    out = QPixmap::fromImage(argb);
    return Ok;
}

int CImageButton::SetBitmaps(const QImage &hover, const QColor &hoverTransparent, const QImage &pressed,
    const QColor &pressedTransparent, const QImage &normal, const QColor &normalTransparent)
{
    QPixmap h, p, n;
    if (const int r = masked(hover, hoverTransparent, h); r != Ok)
        return r;
    if (const int r = masked(pressed, pressedTransparent, p); r != Ok)
        return r;
    if (!normal.isNull()) {
        if (const int r = masked(normal, normalTransparent, n); r != Ok)
            return r;
    }
    m_hover = h;
    m_pressed = p;
    m_normal = n;
    updateGeometry();
    update();
    return Ok;
}

int CImageButton::SetBitmapsById(const QString &hover, const QColor &hoverTransparent, const QString &pressed,
    const QColor &pressedTransparent, const QString &normal, const QColor &normalTransparent)
{
    return SetBitmaps(QImage(hover), hoverTransparent, QImage(pressed), pressedTransparent,
        normal.isEmpty() ? QImage() : QImage(normal), normalTransparent);
}

int CImageButton::SetColor(int index, const QColor &color, bool repaint)
{
    if (index < 0 || index >= ColorCount)
        return BadIndex;
    m_colors[size_t(index)] = color;
    if (repaint)
        update();
    return Ok;
}

QColor CImageButton::GetColor(int index) const
{
    return index >= 0 && index < ColorCount ? m_colors[size_t(index)] : QColor();
}

void CImageButton::SetIcon(const QIcon &icon)
{
    m_icon = icon;
    updateGeometry();
    update();
}

QSize CImageButton::sizeHint() const
{
    if (!m_hover.isNull())
        return m_hover.size();
    const QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
    const int iconSide = m_icon.isNull() ? 0 : 16 + 4;
    return QSize(text.width() + iconSide + 8, std::max(text.height(), 16) + 4);
}

QPixmap CImageButton::pictureFor(bool pressed, bool hovered) const
{
    if (pressed && !m_pressed.isNull())
        return m_pressed;
    if (hovered || m_normal.isNull())
        return m_hover;
    return m_normal;
}

QRect CImageButton::iconRect() const
{
    return QRect(3, (height() - 16) / 2, 16, 16);
}

QRect CImageButton::TextRect() const
{
    QRect text = rect().adjusted(2, 0, -2, 0);
    if (pictureFor(false, false).isNull() && !m_icon.isNull())
        text.setLeft(iconRect().right() + 3);
    return text;
}

void CImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int state = m_hovered || isDown() ? BkIn : (hasFocus() ? BkFocus : BkOut);
    painter.fillRect(rect(), m_colors[size_t(state)]);
    const QPixmap picture = pictureFor(isDown(), m_hovered);
    const QRect textRect = TextRect();
    if (!picture.isNull()) {
        const QPoint at((width() - picture.width()) / 2 + (isDown() ? 1 : 0),
            (height() - picture.height()) / 2 + (isDown() ? 1 : 0));
        painter.drawPixmap(at, picture);
    } else if (!m_icon.isNull()) {
        m_icon.paint(&painter, iconRect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    if (!text().isEmpty()) {
        painter.setPen(isEnabled() ? m_colors[size_t(state + 1)] : palette().color(QPalette::Disabled,
                                                                        QPalette::ButtonText));
        painter.drawText(textRect, Qt::AlignVCenter | (m_icon.isNull() ? Qt::AlignHCenter : Qt::AlignLeft), text());
    }
    if (m_hovered && picture.isNull()) {
        painter.setPen(m_colors[FgIn]);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CImageButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

#include "controls/CHoverButton.h"

#include "controls/FillGradientRect.h"

#include <QPainter>

CHoverButton::CHoverButton(QWidget *parent)
    : CHoverButton(QString(), parent)
{
}

CHoverButton::CHoverButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
    , m_background(217, 236, 250)
    , m_frame(143, 184, 229)
    , m_hoverTop(255, 255, 255)
    , m_hoverBottom(190, 220, 248)
    , m_text(0x10, 0x30, 0x60)
{
    setAttribute(Qt::WA_Hover);
    setFlat(true);
}

void CHoverButton::SetColors(const QColor &background, const QColor &frame, const QColor &hoverTop,
    const QColor &hoverBottom)
{
    m_background = background;
    m_frame = frame;
    m_hoverTop = hoverTop;
    m_hoverBottom = hoverBottom;
    update();
}

void CHoverButton::SetTextColor(const QColor &color)
{
    m_text = color;
    update();
}

QSize CHoverButton::sizeHint() const
{
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text());
    const int iconWidth = icon().isNull() ? 0 : iconSize().width() + (text().isEmpty() ? 0 : 4);
    return QSize(std::max(textSize.width() + iconWidth + 12, 24), std::max(textSize.height(), iconSize().height()) + 8);
}

void CHoverButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    const bool down = isDown() || isChecked();
    if (down)
        FillGradientRect(painter, r, m_hoverBottom, m_hoverTop, 1);
    else if (m_hovered && isEnabled())
        FillGradientRect(painter, r, m_hoverTop, m_hoverBottom, 1);
    else
        painter.fillRect(r, m_background);
    if ((m_hovered && isEnabled()) || down) {
        painter.setPen(m_frame);
        painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    }
    const int shift = down ? 1 : 0;
    QRect content = r.adjusted(4 + shift, 2 + shift, -4 + shift, -2 + shift);
    // A button too narrow for its margins (the arrows beside other buttons)
    // draws its text across its whole width.
    if (icon().isNull() && content.width() < fontMetrics().horizontalAdvance(text()))
        content = r.adjusted(shift, shift, shift, shift);
    const QSize iconSz = iconSize();
    if (!icon().isNull()) {
        const int textWidth = text().isEmpty() ? 0 : fontMetrics().horizontalAdvance(text()) + 4;
        const int left = content.left() + std::max(0, (content.width() - iconSz.width() - textWidth) / 2);
        const QRect iconRect(left, content.top() + (content.height() - iconSz.height()) / 2, iconSz.width(),
            iconSz.height());
        icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(iconRect.right() + 4);
    }
    if (!text().isEmpty()) {
        painter.setPen(isEnabled() ? m_text : palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(content, (icon().isNull() ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text());
    }
}

void CHoverButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

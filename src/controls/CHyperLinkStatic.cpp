#include "controls/CHyperLinkStatic.h"
#include "core/PlainText.h"

#include "platform/DesktopServices.h"
#include "platform/RunProgramOrCommand.h"

#include <QMouseEvent>
#include <QPainter>

CHyperLinkStatic::CHyperLinkStatic(QWidget *parent)
    : CHyperLinkStatic(QString(), QString(), parent)
{
}

CHyperLinkStatic::CHyperLinkStatic(const QString &text, const QString &url, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
    , m_unvisitedColor(0, 0, 255)
    , m_visitedColor(128, 0, 128)
    , m_hoverColor(255, 0, 0)
{
    setCursor(Qt::PointingHandCursor);
    SetURL(url);
}

void CHyperLinkStatic::SetURL(const QString &url)
{
    m_url = url;
    setToolTip(PlainText::ToolTip(url));
}

void CHyperLinkStatic::SetText(const QString &text)
{
    m_text = text;
    updateGeometry();
    update();
}

void CHyperLinkStatic::SetColors(const QColor &unvisited, const QColor &visited, const QColor &hover)
{
    m_unvisitedColor = unvisited;
    m_visitedColor = visited;
    m_hoverColor = hover;
    update();
}

QColor CHyperLinkStatic::currentColor() const
{
    if (m_hovered)
        return m_hoverColor;
    return m_visited ? m_visitedColor : m_unvisitedColor;
}

bool CHyperLinkStatic::Open()
{
    const std::optional<QUrl> target = ResolveOpenTarget(m_url);
    if (!target)
        return false;
    const bool opened = DesktopServices::current().openUrl(*target);
    if (opened) {
        m_visited = true;
        update();
    }
    return opened;
}

QSize CHyperLinkStatic::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, m_text.isEmpty() ? m_url : m_text) + QSize(2, 2);
}

void CHyperLinkStatic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QFont f = font();
    f.setUnderline(true);
    painter.setFont(f);
    painter.setPen(currentColor());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text.isEmpty() ? m_url : m_text);
}

void CHyperLinkStatic::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        Open();
    }
    QWidget::mouseReleaseEvent(event);
}

void CHyperLinkStatic::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void CHyperLinkStatic::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

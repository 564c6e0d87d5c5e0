#include "mainwnd/CMainToolBar.h"

#include "controls/BlueToolTip.h"
#include "controls/ProgramArt.h"

#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

CMainToolBar::CMainToolBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(kSize);
    setMouseTracking(true);
}

void CMainToolBar::Create(int x, int y)
{
    move(x, y);
    show();
}

void CMainToolBar::SetBkColor(const QColor &color)
{
    m_background = color;
    update();
}

int CMainToolBar::ButtonAt(int x)
{
    if (x < 0)
        return -1;
    const int index = x / kButtonWidth;
    return index < kButtonCount ? index : -1;
}

QString CMainToolBar::ToolTipText(int index)
{
    static const char16_t *const tips[kButtonCount] = {u"刷新用户", u"多人群发,可以给多人群发消息", u"最近联系人",
        u"搜索,在列表中搜索用户", u"共享,查看所有没有设置密码的共享文件", u"设置", u"更多功能", u"帮助"};
    return index >= 0 && index < kButtonCount ? QString::fromUtf16(tips[index]) : QString();
}

void CMainToolBar::setHover(int index)
{
    if (index == m_hover)
        return;
    m_hover = index;
    update();
}

void CMainToolBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    for (int i = 0; i < kButtonCount; ++i)
        painter.drawPixmap(4 + kButtonWidth * i, 0, ToolbarPixmap(i));
    if (m_hover >= 0) {
        const QRect frame(kButtonWidth * m_hover, 0, kButtonWidth, height());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
    }
}

void CMainToolBar::mouseMoveEvent(QMouseEvent *event)
{
    setHover(ButtonAt(int(event->position().x())));
    m_leaveTimer.start(100, this);
    QWidget::mouseMoveEvent(event);
}

void CMainToolBar::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_leaveTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
        setHover(-1);
        m_leaveTimer.stop();
    }
}

void CMainToolBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = ButtonAt(int(event->position().x()));
        if (index >= 0)
            emit buttonClicked(index);
    }
    QWidget::mouseReleaseEvent(event);
}

bool CMainToolBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        return ShowBlueToolTip(help, ToolTipText(ButtonAt(help->pos().x())), this);
    }
    return QWidget::event(event);
}

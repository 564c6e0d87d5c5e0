#include "mainwnd/CMsgTipDlg.h"

#include "controls/BlueToolTip.h"
#include "controls/FillGradientRect.h"
#include "controls/HeadIcons.h"
#include "controls/ProgramArt.h"
#include "controls/SkinColor.h"
#include "controls/SkinFont.h"
#include "core/CConfig.h"
#include "platform/RunProgramOrCommand.h"
#include "platform/WindowAlpha.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

using namespace TipGeometry;

namespace {

struct TipColors
{
    QColor background1, background2, frame, text;
};

TipColors colorsOf(const CConfig *config)
{
    if (!config)
        return {QColor(232, 232, 255), QColor(211, 211, 255), QColor(148, 148, 233), QColor(30, 62, 147)};
    return {ColorFromRef(config->ChatBkColor1), ColorFromRef(config->ChatBkColor2),
        ColorFromRef(config->ChatMsgWndFrameClr), ColorFromRef(config->ChatFontColor)};
}

QRect workArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void fillTriangle(QPainter &painter, const QRect &r, bool pointsLeft)
{
    const QPointF tip = pointsLeft ? QPointF(r.left(), r.center().y() + 0.5) : QPointF(r.right() + 1, r.center().y() + 0.5);
    const qreal base = pointsLeft ? r.right() + 1 : r.left();
    const QPointF points[] = {tip, QPointF(base, r.top()), QPointF(base, r.bottom() + 1)};
    painter.drawPolygon(points, 3);
}

} // namespace

CMsgTipDlg::CMsgTipDlg(const CConfig *config, QWidget *parent)
    : QWidget(parent,
          Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
              | Qt::X11BypassWindowManagerHint)
    , m_config(config)
{
    setObjectName(QStringLiteral("105"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    WindowAlpha::SetKind(this, WindowAlpha::TipPopups);
    if (config && config->MsgOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(config->MsgOpacity));
}

void CMsgTipDlg::Close()
{
    m_closeTimer.stop();
    if (m_slideTimer.isActive())
        finishSlide();
    hide();
}

void CMsgTipDlg::RestartCloseTimer()
{
    if (m_closeTimer.isActive())
        m_closeTimer.start(kCloseDelayMs, this);
}

void CMsgTipDlg::AddNotice(const TipNotice &notice, bool show, const QString &extra)
{
    m_notices.append(notice, extra);
    if (!show)
        return;
    if (isVisible()) {
        RestartCloseTimer();
        update();
        return;
    }
    startShowing();
}

void CMsgTipDlg::ClearNotices()
{
    m_notices.clear();
    update();
}

void CMsgTipDlg::startShowing()
{
    const QRect area = workArea();
    m_slide = StartSlide(area);
    m_closeTimer.stop();
    move(FinalPosition(area).x(), m_slide.y());
    show();
    raise();
    m_slideTimer.start(kSlideTickMs, this);
}

void CMsgTipDlg::finishSlide()
{
    m_slideTimer.stop();
    m_slide.offset = kHeight;
    move(x(), m_slide.y());
}

void CMsgTipDlg::closeAndForget()
{
    Close();
    ClearNotices();
}

bool CMsgTipDlg::cursorInside() const
{
    return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

void CMsgTipDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_slideTimer.timerId()) {
        const bool arrived = m_slide.step();
        move(x(), m_slide.y());
        if (arrived) {
            m_slideTimer.stop();
            m_closeTimer.start(kCloseDelayMs, this);
        }
        return;
    }
    if (event->timerId() == m_closeTimer.timerId()) {
        if (!m_autoClose) {
            m_closeTimer.stop();
            return;
        }
        if (cursorInside())
            return; // the user reads: look again at the next tick
        closeAndForget();
        return;
    }
    QWidget::timerEvent(event);
}

void CMsgTipDlg::OpenCurrentLink()
{
    const TipNoticeList::Entry *entry = m_notices.current();
    if (!entry)
        return;
    const TipLink link = ParseTipLink(entry->notice.linkTag);
    switch (link.kind) {
    case TipLink::Kind::Address:
        emit addressLinkActivated(link.address);
        break;
    case TipLink::Kind::PeerKey:
        emit keyLinkActivated(link.key);
        break;
    case TipLink::Kind::Group:
        emit groupLinkActivated(link.groupId);
        break;
    case TipLink::Kind::Document:
        RunProgramOrCommand(link.document, this);
        break;
    case TipLink::Kind::None:
    case TipLink::Kind::Invalid:
        break;
    }
}

void CMsgTipDlg::ClickAt(const QPoint &point)
{
    RestartCloseTimer();
    const TipNoticeList::Entry *entry = m_notices.current();
    const bool hasLink = entry && !entry->notice.linkTag.isEmpty();
    switch (SpotAt(point, width(), height(), hasLink)) {
    case Spot::Previous:
        if (m_notices.previous())
            update();
        break;
    case Spot::Next:
        if (m_notices.next())
            update();
        break;
    case Spot::Close:
        closeAndForget();
        break;
    case Spot::Open:
    case Spot::Notice:
        OpenCurrentLink();
        break;
    case Spot::None:
        break;
    }
}

void CMsgTipDlg::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        ClickAt(event->position().toPoint());
    else if (event->button() == Qt::RightButton)
        closeAndForget();
}

QString CMsgTipDlg::toolTipAt(const QPoint &point) const
{
    const int w = width(), h = height();
    const TipNoticeList::Entry *entry = m_notices.current();
    if (previousRect(w, h).adjusted(-3, -5, 3, 5).contains(point))
        return QStringLiteral("前一条");
    if (nextRect(w, h).adjusted(-3, -5, 3, 5).contains(point))
        return QStringLiteral("后一条");
    if (closeRect(w, h).contains(point))
        return QStringLiteral("关闭");
    if (!entry)
        return QString();
    if (openRect(w, h).contains(point))
        return entry->notice.linkTag;
    if (textRect(w, h).contains(point))
        return entry->notice.text;
    return QString();
}

bool CMsgTipDlg::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        return ShowBlueToolTip(help, toolTipAt(help->pos()), this);
    }
    return QWidget::event(event);
}

void CMsgTipDlg::paintEvent(QPaintEvent *)
{
    const int w = width(), h = height();
    const TipColors colors = colorsOf(m_config);
    QPainter painter(this);
    FillGradientRect(painter, rect(), colors.background1, colors.background2, int(GradientMode::Vertical));

    const TipNoticeList::Entry *entry = m_notices.current();
    const QFont big = SongFont(13);
    const QFont small = SongFont(12);
    if (entry) {
        const TipNotice &notice = entry->notice;
        const QPixmap icon = notice.icon >= 0 ? HeadIconPixmap(notice.icon, 32) : ProgramIcon().pixmap(32, 32);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(1, 1, 28, 28), icon);
        painter.setPen(colors.text);
        painter.setFont(big);
        painter.drawText(titleRect(w, h), Qt::AlignCenter | Qt::TextSingleLine, notice.title);
        painter.setFont(small);
        painter.drawText(textRect(w, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, notice.text);
    }

    painter.setPen(colors.frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(innerFrame(w, h).adjusted(0, 0, -1, -1));
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.setBrush(colors.frame);
    fillTriangle(painter, previousRect(w, h), true);
    fillTriangle(painter, nextRect(w, h), false);

    painter.setPen(QColor(0, 0, 255));
    painter.setFont(big);
    if (entry && !entry->notice.linkTag.isEmpty())
        painter.drawText(openRect(w, h), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("打开"));
    painter.drawText(closeRect(w, h), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("关闭"));
    painter.setPen(colors.text);
    painter.setFont(small);
    painter.drawText(pageRect(w, h), Qt::AlignCenter | Qt::TextSingleLine, m_notices.pageText());
}

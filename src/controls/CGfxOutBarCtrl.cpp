#include "controls/CGfxOutBarCtrl.h"

#include "controls/FillGradientRect.h"
#include "controls/SkinFont.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

CGfxOutBarCtrl::CGfxOutBarCtrl(QWidget *parent)
    : QWidget(parent)
    , m_frame(143, 184, 229)
    , m_leftTop(217, 236, 250)
    , m_rightBottom(221, 251, 255)
    , m_rightBottom2(221, 251, 255)
{
    setMouseTracking(true);
    m_slide.setStartValue(0.0);
    m_slide.setEndValue(1.0);
    connect(&m_slide, &QVariantAnimation::valueChanged, this, [this] { placePages(); });
    connect(&m_slide, &QVariantAnimation::finished, this, [this] { placePages(); });
}

int CGfxOutBarCtrl::AddFolder(const QString &title, QWidget *page)
{
    if (page) {
        page->setParent(this);
        page->hide();
    }
    m_folders.append({title, page});
    if (m_selected < 0)
        m_selected = 0;
    placePages();
    update();
    return int(m_folders.size()) - 1;
}

QString CGfxOutBarCtrl::GetFolderText(int index) const
{
    return index >= 0 && index < m_folders.size() ? m_folders[index].title : QString();
}

bool CGfxOutBarCtrl::SetFolderText(int index, const QString &title)
{
    if (index < 0 || index >= m_folders.size())
        return false;
    m_folders[index].title = title;
    update();
    return true;
}

QWidget *CGfxOutBarCtrl::GetFolderPage(int index) const
{
    return index >= 0 && index < m_folders.size() ? m_folders[index].page.data() : nullptr;
}

void CGfxOutBarCtrl::SetSelFolder(int index)
{
    if (index < 0 || index >= m_folders.size() || index == m_selected)
        return;
    m_slideFrom = currentLayout();
    m_selected = index;
    if (m_flashInterval > 0 && isVisible()) {
        m_slide.stop();
        m_slide.setDuration(m_flashInterval);
        m_slide.start();
    }
    placePages();
    emit folderChanged(index);
}

void CGfxOutBarCtrl::SetSkinColors(const QColor &frame, const QColor &leftTop, const QColor &rightBottom,
    const QColor &rightBottom2)
{
    m_frame = frame;
    m_leftTop = leftTop;
    m_rightBottom = rightBottom;
    m_rightBottom2 = rightBottom2;
}

QColor CGfxOutBarCtrl::skinColor(int which) const
{
    switch (which) {
    case 0:
        return m_frame;
    case 1:
        return m_leftTop;
    case 2:
        return m_rightBottom;
    default:
        return m_rightBottom2;
    }
}

OutBarLayout CGfxOutBarCtrl::currentLayout() const
{
    const OutBarLayout target = ComputeOutBarLayout(size(), int(m_folders.size()), m_selected, kButtonHeight);
    if (m_slide.state() != QAbstractAnimation::Running)
        return target;
    return BlendOutBarLayouts(m_slideFrom, target, m_slide.currentValue().toDouble());
}

void CGfxOutBarCtrl::placePages()
{
    const bool sliding = m_slide.state() == QAbstractAnimation::Running;
    const OutBarLayout layout = currentLayout();
    for (int i = 0; i < m_folders.size(); ++i) {
        QWidget *page = m_folders[i].page;
        if (!page)
            continue;
        const bool shown = i == m_selected && !sliding && !layout.page.isEmpty();
        if (shown)
            page->setGeometry(layout.page);
        page->setVisible(shown);
    }
    update();
}

void CGfxOutBarCtrl::resizeEvent(QResizeEvent *)
{
    placePages();
}

void CGfxOutBarCtrl::paintButton(QPainter &painter, const QRect &rect, int index) const
{
    if (rect.isEmpty())
        return;
    const int half = rect.height() / 2;
    QColor top = m_leftTop;
    QColor middle = m_rightBottom;
    QColor bottom = m_rightBottom2;
    if (index == m_hover) {
        top = top.lighter(106);
        middle = middle.lighter(106);
        bottom = bottom.lighter(106);
    }
    FillGradientRect(painter, QRect(rect.left(), rect.top(), rect.width(), half), top, middle, 1);
    FillGradientRect(painter, QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half), middle,
        bottom, 1);
    painter.setPen(m_frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setFont(SongFont(12, index == m_selected ? 700 : 400));
    painter.setPen(QColor(0x10, 0x30, 0x60));
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, m_folders[index].title);
}

void CGfxOutBarCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const OutBarLayout layout = currentLayout();
    painter.fillRect(layout.page, m_rightBottom2.lighter(104));
    for (int i = 0; i < layout.buttons.size(); ++i)
        paintButton(painter, layout.buttons[i], i);
}

void CGfxOutBarCtrl::mousePressEvent(QMouseEvent *event)
{
    const int folder = currentLayout().folderAt(event->position().toPoint());
    if (folder >= 0 && event->button() == Qt::LeftButton)
        SetSelFolder(folder);
    else if (folder >= 0 && event->button() == Qt::RightButton)
        emit folderMenuRequested(folder);
    QWidget::mousePressEvent(event);
}

void CGfxOutBarCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    if (currentLayout().folderAt(event->pos()) >= 0)
        event->accept();
    else
        QWidget::contextMenuEvent(event);
}

void CGfxOutBarCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const int hover = currentLayout().folderAt(event->position().toPoint());
    if (hover != m_hover) {
        m_hover = hover;
        setCursor(hover >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void CGfxOutBarCtrl::leaveEvent(QEvent *event)
{
    if (m_hover >= 0) {
        m_hover = -1;
        update();
    }
    QWidget::leaveEvent(event);
}

#include "mainwnd/CSearchBarDlg.h"
#include "core/PlainText.h"

#include "controls/CImageButton.h"
#include "controls/HeadIcons.h"
#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CSearchEdit.h"
#include "mainwnd/CSearchPanelDlg.h"
#include "mainwnd/SearchLayout.h"
#include "mainwnd/TreePainting.h"
#include "net/MessengerEngine.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

QString CSearchBarDlg::HelpText()
{
    return QStringLiteral("通过输入用户名、组名、IP等来查找我的好友\r\n对于汉字可输入拼音或汉字的第一个拼音来查找\r\n"
                          "如在使用蓝雀过程有什么疑问，可以点蓝雀论坛搜索相关问题解答。");
}

CSearchBarDlg::CSearchBarDlg(CMessengerDlg *messenger, QWidget *parent)
    : QWidget(parent)
    , m_messenger(messenger)
    , m_config(&messenger->engine().config())
{
    setObjectName(QStringLiteral("111"));
    const QFont font = SongTiFont(12);

    m_status = new CImageButton(this);
    m_status->setObjectName(QStringLiteral("1237"));
    m_status->setFont(font);
    for (int state : { CImageButton::BkIn, CImageButton::BkOut, CImageButton::BkFocus })
        m_status->SetColor(state, ColorFromRef(kStatusBackground), false);
    const bool hidden = (m_config->StatusValue & OwnStatus::Hidden) != 0;
    SetStatusText(hidden ? QStringLiteral("隐身▼") : QStringLiteral("在线▼"));
    const int face = m_config->FaceImage;
    SetStatusIcon(face >= 0 && face + 1 <= HeadImage::LastHead ? face + 1 : 1);
    connect(m_status, &QAbstractButton::clicked, this,
        [this] { emit statusMenuRequested(m_status->mapToGlobal(QPoint(0, m_status->height()))); });

    m_box = new CSearchEdit(this);
    m_box->setFont(font);
    m_clear = new QToolButton(this);
    m_clear->setObjectName(QStringLiteral("1003"));
    m_clear->setText(QStringLiteral("←"));
    m_clear->setAutoRaise(true);
    m_clear->setToolTip(QStringLiteral("清除"));
    connect(m_clear, &QToolButton::clicked, this, &CSearchBarDlg::OnClear);

    m_panel = new CSearchPanelDlg(messenger, m_box, this);
    connect(m_box, &CSearchEdit::hintStateChanged, this, &CSearchBarDlg::onHintState);
    connect(m_box, &CSearchEdit::searchRequested, this, &CSearchBarDlg::onSearch);
    connect(m_box, &QLineEdit::returnPressed, this, &CSearchBarDlg::OnOK);
    connect(m_box, &CSearchEdit::arrowPressed, m_panel, &CSearchPanelDlg::MoveCurrent);
    connect(messenger, &CMessengerDlg::ownStatusIconChanged, this, &CSearchBarDlg::SetStatusIcon);

    m_box->ShowHint();
    m_clear->hide();
    m_box->setToolTip(PlainText::ToolTip(QString(HelpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
}

CSearchBarDlg::~CSearchBarDlg() = default;

void CSearchBarDlg::SetStatusIcon(int index)
{
    m_statusIcon = index >= 0 && index < HeadImage::Count ? index : 1;
    m_status->SetIcon(QIcon(HeadIconPixmap(m_statusIcon, 16)));
}

void CSearchBarDlg::SetStatusText(const QString &text)
{
    m_status->setText(text);
}

void CSearchBarDlg::HidePanel()
{
    m_panel->hide();
}

void CSearchBarDlg::onHintState(bool hasText, bool userText)
{
    m_clear->setVisible(userText);
    if (!hasText && m_box->isShowingHint())
        m_box->setToolTip(PlainText::ToolTip(QString(HelpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
}

void CSearchBarDlg::onSearch(bool byClick)
{
    if (byClick && m_panel->isVisible())
        return;
    const QString text = m_box->searchText();
    if (text.isEmpty()) {
        m_panel->hide();
        return;
    }
    m_panel->SetShowWebLinks(m_config->ShowSearchWebBar != 0);
    m_panel->Search(text, QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void CSearchBarDlg::OnOK()
{
    if (m_box->isShowingHint() || m_box->searchText().isEmpty())
        return;
    if (m_panel->currentRow() >= 0)
        m_panel->OpenResult(m_panel->currentRow()); // a row picked with the arrows
    else if (m_panel->resultCount() == 1)
        m_panel->OpenResult(0);
}

void CSearchBarDlg::OnClear()
{
    m_box->ShowHint();
    m_clear->hide();
    m_panel->hide();
}

void CSearchBarDlg::keyPressEvent(QKeyEvent *event)
{
    // Escape in the strip closes the results, never the main window.
    if (event->key() == Qt::Key_Escape) {
        m_panel->hide();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CSearchBarDlg::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A click on the main window's frame or moving it leaves the results.
    if (QWidget *top = window(); top != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        top->installEventFilter(this);
    }
}

bool CSearchBarDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && (event->type() == QEvent::Move || event->type() == QEvent::NonClientAreaMouseButtonPress))
        m_panel->hide();
    return QWidget::eventFilter(watched, event);
}

void CSearchBarDlg::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const SearchLayout::Strip r = SearchLayout::StripRects(width());
    m_status->setGeometry(r.status);
    m_clear->setGeometry(r.clear);
    m_box->setGeometry(r.box);
    m_panel->hide();
}

void CSearchBarDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(ColorFromRef(kFrameColor));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // The search icon: a magnifier.
    const QRect icon = SearchLayout::StripRects(width()).icon.adjusted(2, 2, -2, -2);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x5A, 0x7E, 0xB5), 1.6));
    painter.drawEllipse(QRectF(icon.left(), icon.top(), 8, 8));
    painter.drawLine(QPointF(icon.left() + 7, icon.top() + 7), QPointF(icon.right(), icon.bottom()));
}

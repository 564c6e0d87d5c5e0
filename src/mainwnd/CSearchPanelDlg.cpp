#include "mainwnd/CSearchPanelDlg.h"

#include "controls/CHyperLinkStatic.h"
#include "core/CConfig.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/SearchLayout.h"
#include "mainwnd/UserListModel.h"
#include "mainwnd/UserSearch.h"
#include "net/MessengerEngine.h"

#include <QApplication>
#include <QHeaderView>
#include <QTimerEvent>

CSearchPanelDlg::CSearchPanelDlg(CMessengerDlg *messenger, QWidget *searchBox, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , m_messenger(messenger)
    , m_box(searchBox)
{
    setObjectName(QStringLiteral("388"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    m_model = new UserListModel(this);
    m_model->SetColumnOrder(QStringLiteral("123456"));
    m_list = new CUserListCtrl(this);
    m_list->setObjectName(QStringLiteral("1081"));
    m_list->setListModel(m_model);
    m_list->Init(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->SetLargeIcons(true);
    m_list->verticalHeader()->setDefaultSectionSize(SearchLayout::kRowHeight);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The columns the match is not in give way to those it is in.
    m_list->horizontalHeader()->setMinimumSectionSize(0);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) { OpenResult(index.row()); });

    static const char *const ids[] = { "1235", "1237", "1238" };
    for (int i = 0; i < SearchLayout::kLinkCount; ++i) {
        m_links[size_t(i)] = new CHyperLinkStatic(SearchLayout::LinkText(i), QString(), this);
        m_links[size_t(i)]->setObjectName(QString::fromLatin1(ids[i]));
    }
}

CSearchPanelDlg::~CSearchPanelDlg() = default;

CHyperLinkStatic *CSearchPanelDlg::link(int index) const
{
    return index >= 0 && index < SearchLayout::kLinkCount ? m_links[size_t(index)] : nullptr;
}

void CSearchPanelDlg::Search(const QString &text, const QRect &strip)
{
    MessengerEngine &engine = m_messenger->engine();
    m_results = UserSearch::Run(HostsInTableOrder(engine.hostTable()), text);
    fillList();
    m_list->setCurrentIndex(QModelIndex());

    const SearchLayout::Panel rects = SearchLayout::PanelRects(strip, resultCount(), m_showLinks);
    setGeometry(rects.window);
    m_list->setGeometry(rects.list);
    for (int i = 0; i < SearchLayout::kLinkCount; ++i) {
        CHyperLinkStatic *l = m_links[size_t(i)];
        l->SetURL(SearchLayout::LinkAddress(i, text, engine.config().ForumSearchURL));
        l->move(rects.links[size_t(i)]);
        l->resize(l->sizeHint().width(), SearchLayout::kLinksHeight);
        l->setVisible(m_showLinks && !l->GetURL().isEmpty());
    }
    // The name (with its icon) and the field that holds the match show their
    // texts whole, the address too where there is room.
    QList<int> read;
    for (const UserPickEntry &result : std::as_const(m_results))
        read.append(UserSearch::MatchedField(result, text));
    QList<int> needs;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        m_list->resizeColumnToContents(c);
        needs.append(m_list->columnWidth(c));
    }
    const QList<int> widths = SearchLayout::ColumnWidths(rects.list.width() - 2 * m_list->frameWidth(), needs, read,
        ContactEntry::NickField, ContactEntry::AddressField, SearchLayout::kNarrowColumn);
    for (int c = 0; c < widths.size(); ++c)
        m_list->setColumnWidth(c, widths[c]);
    show();
    m_focusTimer.start(kFocusTimerMs, this);
}

void CSearchPanelDlg::fillList()
{
    m_model->DeleteAllItems();
    for (int row = 0; row < resultCount(); ++row) {
        const UserPickEntry &e = m_results[row];
        m_model->InsertUserRow(row, ContactEntry::FieldCount - 1, e.fieldTexts(), e.image);
    }
}

bool CSearchPanelDlg::OpenResult(int row)
{
    if (row < 0 || row >= resultCount())
        return false;
    HostRecord *host = FindPickedHost(m_messenger->engine().hostTable(), m_results[row]);
    if (!host)
        return false;
    m_messenger->OpenChatWindow(host);
    return true;
}

int CSearchPanelDlg::currentRow() const
{
    return isVisible() ? m_list->currentIndex().row() : -1;
}

void CSearchPanelDlg::MoveCurrent(int step)
{
    if (!isVisible() || resultCount() == 0)
        return;
    const int row = currentRow() < 0 ? (step > 0 ? 0 : resultCount() - 1)
                                     : std::clamp(currentRow() + step, 0, resultCount() - 1);
    m_list->setCurrentIndex(m_model->index(row, 0));
}

void CSearchPanelDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_focusTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!isVisible()) {
        m_focusTimer.stop();
        return;
    }
    const QWidget *focus = QApplication::focusWidget();
    if (focus != this && focus != m_list && focus != m_box && !(focus && isAncestorOf(focus)))
        hide();
}

void CSearchPanelDlg::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        hide(); // another window took the focus
}

void CSearchPanelDlg::hideEvent(QHideEvent *event)
{
    m_focusTimer.stop();
    QWidget::hideEvent(event);
}

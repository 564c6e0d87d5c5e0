#include "mainwnd/CMessengerDlg.h"

#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "mainwnd/CMainToolBar.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/HeadImage.h"
#include "net/MessengerEngine.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

namespace {

// The toolbar's place at the top of the page; the views start below it.
constexpr QPoint kToolBarAt(2, 2);
constexpr int kToolBarGap = 2;

} // namespace

CMessengerDlg::CMessengerDlg(MessengerEngine &engine, QWidget *parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_contacts(engine)
{
    setObjectName(QStringLiteral("137"));
    CConfig &config = engine.config();

    m_toolBar = new CMainToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->SetBkColor(ColorFromRef(config.MainBarLeftTopColor));
    m_toolBar->Create(kToolBarAt.x(), kToolBarAt.y());
    connect(m_toolBar, &CMainToolBar::buttonClicked, this, &CMessengerDlg::OnToolbarClick);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kToolBarAt.y() + CMainToolBar::kSize.height() + kToolBarGap, 0, 0);
    layout->setSpacing(2);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_views = new QStackedWidget(splitter);
    m_tree = new CUserTreeCtrl(m_views);
    m_tree->setConfig(&config);
    m_tree->setTreeModel(m_contacts.treeModel());
    m_tree->SetLargeIcons(config.LargeTreeImage != 0);
    m_list = new CUserListCtrl(m_views);
    m_list->setListModel(m_contacts.listModel());
    m_list->Init(this);
    m_list->SetLargeIcons(config.LargeImage != 0);
    m_views->addWidget(m_tree);
    m_views->addWidget(m_list);
    layout->addWidget(splitter, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(2, 0, 2, 2);
    buttons->setSpacing(1);
    createButtons(buttons);
    layout->addLayout(buttons);

    connect(&m_contacts, &ContactListController::peerCountChanged, this, &CMessengerDlg::peerCountChanged);
    connect(&m_contacts, &ContactListController::tipNoticeRequested, this, [this](const TipNotice &notice) {
        ShowTipMessage(notice);
        if (m_engine.config().NOBEEP_STR == 0)
            PlayNotifySound(NotifySound::Notice);
    });
    connect(&m_contacts, &ContactListController::ownStatusIconChanged, this, &CMessengerDlg::ownStatusIconChanged);
    connect(&m_contacts, &ContactListController::viewStyleChanged, this, &CMessengerDlg::showView);
    connect(&m_contacts, &ContactListController::columnWidthsRequested, this, &CMessengerDlg::applyColumnWidths);
    connect(m_list, &CUserListCtrl::columnClicked, &m_contacts, &ContactListController::OnListColumnClick);
    connect(m_list, &CUserListCtrl::userDoubleClicked, this, &CMessengerDlg::openChatRequested);
    connect(m_tree, &CUserTreeCtrl::userDoubleClicked, this, &CMessengerDlg::openChatRequested);

    // With AutoWidth on, rows that arrive one by one resize the columns once
    // after a burst, not once per row.
    m_autoWidth.setSingleShot(true);
    m_autoWidth.setInterval(0);
    connect(&m_autoWidth, &QTimer::timeout, this, [this] { m_list->AutoSizeColumns(); });
    connect(m_contacts.listModel(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_engine.config().AutoWidth)
            m_autoWidth.start();
    });

    m_contacts.RebuildUserList();
}

CMessengerDlg::~CMessengerDlg()
{
    // The views go before the models they show.
    delete m_views;
    m_views = nullptr;
}

void CMessengerDlg::OnToolbarClick(int index)
{
    if (const int command = ContactListMenu::ToolbarButtonCommand(index))
        OnButtonCommand(command);
}

void CMessengerDlg::showView(bool tree)
{
    m_views->setCurrentWidget(tree ? static_cast<QWidget *>(m_tree) : m_list);
}

void CMessengerDlg::applyColumnWidths()
{
    const CConfig &c = m_engine.config();
    if (c.AutoWidth)
        m_list->AutoSizeColumns();
    else
        m_list->SetColumnWidths({ c.SENDNICKNAME_STR, c.SENDHOSTNAME_STR, c.SENDUSERNAME_STR, c.SENDGROUPNAME_STR,
            c.SENDTYPENAME_STR, c.SENDIPADDR_STR });
}

void CMessengerDlg::OpenChatWindow(HostRecord *host)
{
    if (host)
        emit openChatRequested(host);
}

void CMessengerDlg::SetMembersShowMode(int mode)
{
    m_engine.config().MembersShowMode = mode;
    m_contacts.RebuildUserList();
}

int CMessengerDlg::peerRowCount() const
{
    if (m_views->currentWidget() == m_list)
        return m_contacts.listModel()->rowCount();
    return m_contacts.treeModel()->visiblePeerRows();
}

QString CMessengerDlg::peerRowText(int row, int field) const
{
    const ContactEntry *entry = nullptr;
    if (m_views->currentWidget() == m_list) {
        entry = m_contacts.listModel()->entryAt(row);
    } else {
        const ContactTreeModel *tree = m_contacts.treeModel();
        for (int r = 0, seen = 0; r < tree->rowCount() && !entry; ++r)
            if (tree->rowKind(r) == ContactTreeModel::RowKind::Peer && seen++ == row)
                entry = tree->entryAt(r);
    }
    return entry ? entry->field(field) : QString();
}

void CMessengerDlg::OnRefreshButton()
{
    const bool clearFirst = QApplication::keyboardModifiers() & Qt::ControlModifier;
    QMetaObject::invokeMethod(this, [this, clearFirst] { OnRefreshUsers(clearFirst); }, Qt::QueuedConnection);
}

void CMessengerDlg::OnRefreshUsers(bool clearFirst)
{
    if (clearFirst)
        m_contacts.RemoveAllUsers();
    m_contacts.BeginRefresh();
    m_engine.RefreshUsers(false);
}

// ---- unread windows ----

bool CMessengerDlg::QueueUnreadWindow(QWidget *window, int kind, const HostRecord *peer)
{
    if (!window || window->isVisible())
        return false;
    const int image = peer ? HeadImage::ForHost(*peer) : HeadImage::kDefaultHead;
    const int before = m_unread.FrontImage();
    if (!m_unread.Append(window, kind, image))
        return false;
    connect(window, &QObject::destroyed, this, [this](QObject *gone) {
        const int front = m_unread.FrontImage();
        if (m_unread.Remove(gone))
            unreadChanged(front);
    });
    if (!m_blinking || before != m_unread.FrontImage()) {
        m_blinking = true;
        emit blinkRequested(true, m_unread.FrontImage());
    }
    return true;
}

bool CMessengerDlg::UnqueueUnreadWindow(QWidget *window)
{
    const int front = m_unread.FrontImage();
    if (!window || !m_unread.Remove(window))
        return false;
    disconnect(window, &QObject::destroyed, this, nullptr);
    window->show();
    unreadChanged(front);
    return true;
}

void CMessengerDlg::unreadChanged(int previousFrontImage)
{
    m_unread.DropStale();
    if (m_unread.IsEmpty()) {
        if (std::exchange(m_blinking, false))
            emit blinkRequested(false, -1);
    } else if (m_unread.FrontImage() != previousFrontImage) {
        emit blinkRequested(true, m_unread.FrontImage());
    }
}

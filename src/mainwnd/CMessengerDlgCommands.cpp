// The messenger page's buttons and menus, its recent contacts, the icon
// size, the find, send-to-address and group dialogs, the tip entries and
// sounds.
#include "mainwnd/CMessengerDlg.h"
#include "core/PlainText.h"

#include "core/CConfig.h"
#include "core/Prompter.h"
#include "mainwnd/CFindUserDlg.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CSendToAddressDlg.h"
#include "mainwnd/CUserGroupManageDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactAddresses.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "mainwnd/TreePainting.h"
#include "mainwnd/UserPickEntry.h"
#include "net/MessengerEngine.h"
#include "platform/MessageSound.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QComboBox>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <functional>

namespace {

struct ButtonText
{
    int id;
    const char16_t *text;
    const char16_t *tip;
};

constexpr ButtonText kButtons[] = {
    { ContactListMenu::MultiSendButton, u"群发", u"多人群发,可以给多人群发消息" },
    { ContactListMenu::RefreshButton, u"刷新", u"刷新在线用户 (按住Ctrl先清空列表)" },
    { ContactListMenu::RecentButton, u"最近", u"最近联系人" },
    { ContactListMenu::FindButton, u"搜索", u"搜索,在列表中搜索用户" },
    { ContactListMenu::SharesButton, u"共享", u"共享,查看所有没有设置密码的共享文件" },
    { ContactListMenu::SettingsButton, u"设置", u"设置" },
    { ContactListMenu::MoreButton, u"更多", u"更多功能" },
    { ContactListMenu::HelpButton, u"帮助", u"帮助" },
};

// The signal a button whose window lives elsewhere asks for, or null.
using Request = void (CMessengerDlg::*)();
Request requestOf(int id)
{
    switch (id) {
    case ContactListMenu::MultiSendButton:
        return &CMessengerDlg::multiChatRequested;
    case ContactListMenu::HelpButton:
        return &CMessengerDlg::helpRequested;
    case ContactListMenu::SharesButton:
        return &CMessengerDlg::allSharedFilesRequested;
    default:
        return nullptr;
    }
}

// The signal a menu command without a button asks for, or null.
Request requestOfCommand(int id)
{
    switch (id) {
    case ContactListMenu::ChatLog:
    case TrayMenu::ChatLog:
        return &CMessengerDlg::chatLogViewerRequested;
    case ContactListMenu::ShareSettings:
    case TrayMenu::ShareSettings:
        return &CMessengerDlg::shareSettingsRequested;
    case ContactListMenu::TransferMonitor:
    case TrayMenu::TransferMonitor:
        return &CMessengerDlg::transferMonitorRequested;
    default:
        return nullptr;
    }
}

// The button command a menu command stands for, or 0.
int buttonOfCommand(int id)
{
    switch (id) {
    case ContactListMenu::MultiSend:
    case TrayMenu::MultiSend:
        return ContactListMenu::MultiSendButton;
    case ContactListMenu::Find:
        return ContactListMenu::FindButton;
    case TrayMenu::Settings:
    case ContactListMenu::Settings:
        return ContactListMenu::SettingsButton;
    case ContactListMenu::Refresh:
        return ContactListMenu::RefreshButton;
    default:
        return 0;
    }
}

bool isRecent(int id)
{
    return id >= TrayMenu::FirstRecent && id < TrayMenu::FirstRecent + TrayMenu::RecentCount;
}

} // namespace

void CMessengerDlg::createButtons(QHBoxLayout *row)
{
    const QFont font = SongTiFont(12);
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        auto *b = new QPushButton(QString::fromUtf16(kButtons[i].text), this);
        b->setObjectName(QString::number(kButtons[i].id));
        b->setToolTip(PlainText::ToolTip(QString::fromUtf16(kButtons[i].tip)));
        b->setFont(font);
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(0);
        b->setFixedHeight(20);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        row->addWidget(b, 1);
        const int id = kButtons[i].id;
        connect(b, &QPushButton::clicked, this, [this, id] { OnButtonCommand(id); });
        m_buttons[i] = b;
        if (id == ContactListMenu::RefreshButton)
            m_refresh = b;
    }
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    // On a row the whole menu 252 (its peer commands act on the row), on
    // empty space the "更多" menu.
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const QModelIndex index = m_list->indexAt(at);
        if (index.isValid())
            m_list->selectionModel()->select(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        showMenuAt(index.isValid() ? MakeContactMenu() : MakeMoreMenu(), QCursor::pos());
    });
    connect(m_tree, &CUserTreeCtrl::contextMenuAt, this, &CMessengerDlg::OnTreeRightClick);
}

QPushButton *CMessengerDlg::button(int id) const
{
    for (QPushButton *b : m_buttons)
        if (b && b->objectName() == QString::number(id))
            return b;
    return nullptr;
}

bool CMessengerDlg::hasReceiver(int buttonId) const
{
    const Request request = requestOf(buttonId);
    return !request || isSignalConnected(QMetaMethod::fromSignal(request));
}

void CMessengerDlg::OnButtonCommand(int id)
{
    using namespace ContactListMenu;
    if (const Request request = requestOf(id)) {
        emit(this->*request)();
        return;
    }
    switch (id) {
    case RefreshButton:
        OnRefreshButton();
        break;
    case FindButton:
        OnFind();
        break;
    case SettingsButton:
        OnSettings();
        break;
    case RecentButton:
    case MoreButton:
        showMenuAt(id == RecentButton ? MakeRecentMenu() : MakeMoreMenu(), QCursor::pos());
        break;
    default:
        break;
    }
}

bool CMessengerDlg::HandlesMenuCommand(int id) const
{
    using namespace ContactListMenu;
    if (const int b = buttonOfCommand(id))
        return hasReceiver(b);
    if (const Request request = requestOfCommand(id))
        return isSignalConnected(QMetaMethod::fromSignal(request));
    static constexpr int kHandled[] = { LargeIcons, SmallIcons, ManageGroups, NewGroup, SendMessage, SendFile,
        SendFolder, EditUserInfo, GroupVisible, AutoGroup, MoveToGroup, GroupRights, RenameGroup, ListView, TreeView,
        CustomColor, CustomTreeStyle, Transparency, SelectedLarge, CollapseAll, ExpandAll, MemoList,
        AddOtherSubnetFriends, ClassicSkin, TrayMenu::SendToAddress, TrayMenu::ViewList, TrayMenu::ViewTree,
        TrayMenu::MemoList, TrayMenu::CustomTreeStyle, TrayMenu::Transparency, TrayMenu::OtherSubnetFriends };
    return isRecent(id) || (id >= FirstSort && id <= LastSort) || (id >= FirstSkin && id <= LastScheme)
        || std::find(std::begin(kHandled), std::end(kHandled), id) != std::end(kHandled);
}

bool CMessengerDlg::OnMenuCommand(int id)
{
    using namespace ContactListMenu;
    if (!HandlesMenuCommand(id))
        return false;
    if (const int b = buttonOfCommand(id)) {
        OnButtonCommand(b);
    } else if (const Request request = requestOfCommand(id)) {
        emit(this->*request)();
    } else if (isRecent(id)) {
        OnRecentContact(id - TrayMenu::FirstRecent);
    } else if (id >= FirstSort && id <= LastSort) {
        OnSortBy(id);
    } else if ((id >= FirstSkin && id <= LastScheme) || id == ClassicSkin) {
        OnColorScheme(id);
    } else {
        switch (id) {
        case TrayMenu::SendToAddress:
            OpenSendToAddressDialog(0);
            break;
        case LargeIcons:
        case SmallIcons:
            SetIconSize(id == LargeIcons);
            break;
        case ManageGroups: {
            CUserGroupManageDlg manage(this, window());
            manage.exec();
            break;
        }
        case NewGroup:
            OnNewGroup();
            break;
        case SendMessage:
            OnSendMessage();
            break;
        case SendFile:
        case SendFolder:
            OnSendFiles(id == SendFolder);
            break;
        case EditUserInfo:
            OnEditUserInfo();
            break;
        case GroupVisible:
            OnToggleGroupVisibility();
            break;
        case AutoGroup:
            OnAutoGroupFriends();
            break;
        case GroupRights:
            OnGroupRights();
            break;
        case RenameGroup:
            OnRenameGroup();
            break;
        case ListView:
        case TrayMenu::ViewList:
            if (m_engine.config().MembersShowMode != 0)
                SetMembersShowMode(0);
            break;
        case TreeView:
        case TrayMenu::ViewTree:
            if (m_engine.config().MembersShowMode == 0)
                SetMembersShowMode(1);
            break;
        case CustomColor:
            OnCustomColor();
            break;
        case CustomTreeStyle:
        case TrayMenu::CustomTreeStyle:
            OnCustomTreeStyle();
            break;
        case Transparency:
        case TrayMenu::Transparency:
            OnSetTransparency();
            break;
        case SelectedLarge:
            OnToggleSelectedLarge();
            break;
        case CollapseAll:
            OnCollapseAllGroups();
            break;
        case ExpandAll:
            OnExpandAllGroups();
            break;
        case MemoList:
        case TrayMenu::MemoList:
            OnShowMemoList();
            break;
        case AddOtherSubnetFriends:
        case TrayMenu::OtherSubnetFriends:
            OnAddOtherSubnetFriends();
            break;
        default:
            return false;
        }
    }
    return true;
}

void CMessengerDlg::updateMenu(QMenu *menu) const
{
    const CConfig &config = m_engine.config();
    const bool tree = config.MembersShowMode != 0;
    const bool large = (tree ? config.LargeTreeImage : config.LargeImage) != 0;
    TrayMenu::ForEachCommand(menu, [&](QAction *action, int id) {
        action->setEnabled(HandlesMenuCommand(id));
        if (id == ContactListMenu::LargeIcons || id == ContactListMenu::SmallIcons)
            action->setChecked(large == (id == ContactListMenu::LargeIcons));
    });
    updateGroupItems(menu, selection());
}

void CMessengerDlg::connectMenu(QMenu *menu)
{
    connect(menu, &QMenu::triggered, this, [this](QAction *action) {
        const QVariant group = action->property("group");
        if (group.isValid())
            OnMoveToGroup(group.toString(), action->property("create").toBool());
        else
            OnMenuCommand(action->data().toInt());
    });
}

void CMessengerDlg::showMenuAt(QMenu *menu, const QPoint &globalPos)
{
    menu->exec(globalPos);
    delete menu;
}

QMenu *CMessengerDlg::MakeRecentMenu()
{
    QMenu *menu = ContactListMenu::BuildRecent(this);
    TrayMenu::FillRecent(menu, m_engine.config().LastPersonTexts);
    updateMenu(menu);
    connectMenu(menu);
    return menu;
}

QMenu *CMessengerDlg::MakeMoreMenu()
{
    QMenu *menu = ContactListMenu::Build(this);
    TrayMenu::FillRecent(ContactListMenu::TrimForMoreButton(menu), m_engine.config().LastPersonTexts);
    updateMenu(menu);
    connectMenu(menu);
    return menu;
}

void CMessengerDlg::OnRecentContact(int index)
{
    const CConfig &config = m_engine.config();
    if (index < 0 || index >= config.LastPersonTexts.size())
        return;
    const QString text = config.LastPersonTexts.at(index);
    const QString key = config.LastPersonKeys.value(index);
    if (!key.isEmpty()) {
        const QList<HostRecord *> hosts = HostsInTableOrder(m_engine.hostTable());
        for (HostRecord *host : hosts) {
            if (host->keyText == key) {
                OpenChatWindow(host);
                return;
            }
        }
    }
    if (!Prompter::current().askYesNo(this, text + QStringLiteral("  不在线或已下线!, 您是否要继续发送消息?"),
            QStringLiteral("提示")))
        return;
    if (QWidget *window = m_chatWindowFinder && !key.isEmpty() ? m_chatWindowFinder(key) : nullptr) {
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    OpenSendToAddressDialog(RecentContactAddress(config, key, text).value_or(0));
}

void CMessengerDlg::OpenSendToAddressDialog(quint32 address)
{
    if (!m_sendToAddress)
        m_sendToAddress = new CSendToAddressDlg(&m_engine.net(), window());
    m_sendToAddress->SetAddress(address);
    m_sendToAddress->show();
    m_sendToAddress->raise();
    m_sendToAddress->activateWindow();
}

void CMessengerDlg::OnFind()
{
    if (!m_find)
        m_find = new CFindUserDlg(window());
    m_find->SetViews(m_engine.config().MembersShowMode, m_list, m_tree);
    if (!m_find->isVisible()) {
        // At the right of the main window, inside the screen.
        const QRect main = window()->frameGeometry();
        m_find->adjustSize();
        QPoint at(main.right() + 2, main.top());
        if (const QScreen *screen = window()->screen(); screen && at.x() + m_find->width() > screen->availableGeometry().right())
            at.setX(std::max(screen->availableGeometry().left(), main.left() - m_find->width() - 2));
        m_find->move(at);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
    if (!m_find->textBox()->currentText().isEmpty())
        m_find->textBox()->setFocus();
}

void CMessengerDlg::SetIconSize(bool large)
{
    CConfig &config = m_engine.config();
    if (config.MembersShowMode == 0) {
        m_list->SetLargeIcons(large);
        config.LargeImage = large ? 1 : 0;
    } else {
        m_tree->SetLargeIcons(large);
        config.LargeTreeImage = large ? 1 : 0;
        RebuildUserViews(false);
    }
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::ShowTipMessage(const TipNotice &notice, TipOptions options)
{
    if (!m_tip) {
        emit tipNoticeRequested(notice);
        return;
    }
    if (options.clear)
        m_tip->ClearNotices();
    m_tip->AddNotice(notice, options.show);
}

bool CMessengerDlg::PlayNotifySound(NotifySound kind)
{
    bool &busy = m_soundBusy[size_t(kind)];
    if (busy)
        return false;
    busy = true;
    const CConfig &config = m_engine.config();
    MessageSound::current().Play(kind == NotifySound::Message ? config.SOUNDFILE_STR : config.NOTICESOUNDFILE_STR);
    QTimer::singleShot(kSoundBusyMs, this, [this, kind] { m_soundBusy[size_t(kind)] = false; });
    return true;
}

void CMessengerDlg::OnRemoteAssistanceEnded(quint32 address)
{
    const QList<HostRecord *> hosts = HostsInTableOrder(m_engine.hostTable());
    for (HostRecord *host : hosts) {
        if (host->key.address == address) {
            emit remoteAssistanceEnded(host);
            return;
        }
    }
}

void CMessengerDlg::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Buttons whose windows nobody opens yet are greyed.
    for (QPushButton *b : m_buttons)
        if (b)
            b->setEnabled(hasReceiver(b->objectName().toInt()));
}

void CMessengerDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape never close the page or the main window under it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

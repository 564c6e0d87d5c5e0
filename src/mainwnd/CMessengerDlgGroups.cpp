// The messenger page's commands of the peers and groups: the tree's right
// click, the selection they act on, new, renamed and moved groups, sorting a
// group, collapsing and opening all groups, the rights and the visibility of
// a group, memo names, sending files to the selection.
#include "mainwnd/CMessengerDlg.h"

#include "core/CConfig.h"
#include "core/Prompter.h"
#include "core/StatusBits.h"
#include "mainwnd/CChangeUserNameDlg.h"
#include "mainwnd/CMemoListDlg.h"
#include "mainwnd/CNewUserGroupDlg.h"
#include "mainwnd/COtherSubnetFriendsDlg.h"
#include "mainwnd/CRenameUserGroupDlg.h"
#include "mainwnd/CUserGroupRightsDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "mainwnd/UserPickEntry.h"
#include "net/MessengerEngine.h"

#include <QAction>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <functional>
#include <optional>

using ContactCommands::Target;

namespace {

// The peer a command chose before its modal dialog, found again afterwards:
// it may have left, or come back as another record, while the dialog was open.
HostRecord *stillListed(const MessengerEngine &engine, const std::optional<HostKey> &key)
{
    HostRecord *host = key ? engine.FindHost(key->address, key->port) : nullptr;
    return host && host->key == *key ? host : nullptr;
}

void info(QWidget *owner, const QString &text)
{
    Prompter::current().messageBox(owner, text, QStringLiteral("提示"), Prompter::Buttons::Ok,
        Prompter::Icon::Information);
}

// Every plain item of the menu and its submenus.
void forEachItem(QMenu *menu, const std::function<void(QAction *)> &apply)
{
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->menu())
            forEachItem(action->menu(), apply);
        else if (!action->isSeparator())
            apply(action);
    }
}

} // namespace

Target CMessengerDlg::selection() const
{
    Target target;
    if (m_engine.config().MembersShowMode != 0) {
        const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
        if (selected.isEmpty())
            return target;
        const ContactTreeModel *model = m_contacts.treeModel();
        const int row = selected.first().row();
        switch (model->rowKind(row)) {
        case ContactTreeModel::RowKind::Peer:
            target.host = model->hostAt(row);
            break;
        case ContactTreeModel::RowKind::UserGroup:
            target.userGroupNode = true;
            target.node = model->nodeNameAt(row);
            break;
        case ContactTreeModel::RowKind::PeerGroup:
            target.node = model->nodeNameAt(row);
            break;
        }
        return target;
    }
    int first = -1;
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    for (const QModelIndex &index : rows)
        if (first < 0 || index.row() < first)
            first = index.row();
    target.host = first >= 0 ? m_list->hostAt(first) : nullptr;
    return target;
}

bool CMessengerDlg::Select(const HostRecord *host)
{
    if (m_engine.config().MembersShowMode != 0) {
        const int row = m_contacts.treeModel()->rowOfHost(host);
        if (row < 0)
            return false;
        m_tree->setCurrentIndex(m_contacts.treeModel()->index(row));
        return true;
    }
    const int row = m_contacts.listModel()->rowOfHost(host);
    if (row < 0)
        return false;
    m_list->selectionModel()->select(
        m_contacts.listModel()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

bool CMessengerDlg::SelectNode(const QString &name, bool userGroup)
{
    const int row = m_contacts.treeModel()->rowOfGroup(name, userGroup);
    if (row < 0 || m_engine.config().MembersShowMode == 0)
        return false;
    m_tree->setCurrentIndex(m_contacts.treeModel()->index(row));
    return true;
}

QString CMessengerDlg::targetGroupName(const Target &target) const
{
    if (target.host)
        return target.host->customGroup;
    return target.userGroupNode ? target.node : QString();
}

void CMessengerDlg::fillMoveMenu(QMenu *menu, const Target &target) const
{
    if (!menu)
        return;
    menu->clear();
    const CConfig &config = m_engine.config();
    for (const UserGroupRecord &group : config.MemberGroups)
        TrayMenu::AddItem(menu, ContactListMenu::MoveToGroup, group.name, true)->setProperty("group", group.name);
    if (target.isNode() && !target.userGroupNode) {
        const QString name = ContactCommands::GroupNameForPeerNode(target.node);
        if (config.FindMemberGroup(name) < 0) {
            QAction *create = TrayMenu::AddItem(menu, ContactListMenu::MoveToGroup,
                QStringLiteral("创建“%1”组，并移动好友至该组中").arg(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
            create->setProperty("group", name);
            create->setProperty("create", true);
        }
    }
}

QMenu *CMessengerDlg::MakeContactMenu()
{
    QMenu *menu = ContactListMenu::Build(this);
    fillMoveMenu(ContactListMenu::MoveSubmenu(menu), selection());
    TrayMenu::FillRecent(ContactListMenu::RecentSubmenu(menu), m_engine.config().LastPersonTexts);
    updateMenu(menu);
    connectMenu(menu);
    return menu;
}

void CMessengerDlg::updateGroupItems(QMenu *menu, const Target &target) const
{
    using namespace ContactListMenu;
    const CConfig &config = m_engine.config();
    const bool tree = config.MembersShowMode != 0;
    const QString group = targetGroupName(target);
    const int position = config.FindMemberGroup(group);
    const bool node = tree && target.isNode();
    forEachItem(menu, [&](QAction *action) {
        const int id = action->data().toInt();
        switch (id) {
        case SendMessage:
            action->setEnabled(tree ? !target.isEmpty() : target.host != nullptr);
            break;
        case EditUserInfo:
            action->setEnabled(target.host && !target.host->keyText.isEmpty());
            break;
        case GroupVisible: {
            const bool on = tree && ContactCommands::CanSetRights(group) && position >= 0;
            action->setEnabled(on);
            action->setChecked(on && config.MemberGroups[position].visibleWhenHidden != 0);
            break;
        }
        case AutoGroup:
            action->setChecked(config.MyFriendsAutoGroup != 0);
            break;
        case MoveToGroup: {
            const QString name = action->property("group").toString();
            if (target.host) {
                const bool on = !target.host->keyText.isEmpty() && !target.host->customGroup.isEmpty();
                action->setEnabled(on);
                action->setChecked(on && target.host->customGroup == name);
            } else if (node && !target.userGroupNode) {
                action->setEnabled(true);
                action->setChecked(name == DefaultGroups::MyFriends() && !action->property("create").toBool());
            } else {
                action->setEnabled(false);
                action->setChecked(false);
            }
            break;
        }
        case GroupRights:
            action->setEnabled(node && target.node != DefaultGroups::BlackList());
            break;
        case RenameGroup:
            action->setEnabled(node && ContactCommands::CanRename(target.node));
            break;
        case ListView:
            action->setChecked(!tree);
            break;
        case TreeView:
            action->setChecked(tree);
            break;
        case CustomTreeStyle:
        case CollapseAll:
        case ExpandAll:
            action->setEnabled(tree);
            break;
        case SelectedLarge:
            action->setChecked(config.SmallIconSelShowLarge != 0);
            break;
        default:
            if (id >= FirstSort && id <= LastSort) {
                const int kind = node ? m_contacts.treeModel()->GroupSortKind(target.node, target.userGroupNode) : -1;
                action->setEnabled(!tree || node);
                action->setChecked(node && kind == ContactCommands::SortKindOfCommand(id));
            }
            break;
        }
    });
}

void CMessengerDlg::OnTreeRightClick(const QPoint &globalPos, HostRecord *host, const QString &node, bool userGroup)
{
    if (!host && node.isEmpty()) {
        // Empty space: the plain menu, the selection untouched.
        showMenuAt(MakeMoreMenu(), globalPos);
        return;
    }
    if (host)
        Select(host);
    else
        SelectNode(node, userGroup);
    showMenuAt(MakeContactMenu(), globalPos);
}

void CMessengerDlg::OnSendMessage()
{
    const Target target = selection();
    if (target.host)
        OpenChatWindow(target.host);
    else if (target.isNode())
        emit groupSendRequested(target.node, {});
}

void CMessengerDlg::OnSendFiles(bool folder)
{
    const Target target = selection();
    // Only the key is kept across the file dialog.
    const std::optional<HostKey> peer = target.host ? std::optional(target.host->key) : std::nullopt;
    const QString node = target.isNode() ? target.node : QString();
    QStringList chosen;
    if (folder) {
        const QString path = Prompter::current().chooseFolder(this, QStringLiteral("增加文件夹:"), QString());
        if (!path.isEmpty())
            chosen.append(path);
    } else {
        chosen = Prompter::current().openFiles(this, QStringLiteral("发送文件"), QString(),
            Prompter::filterFromWindows(u"All Files (*.*)|*.*||"));
    }
    // Readable paths, each once.
    QStringList files;
    for (const QString &path : std::as_const(chosen)) {
        const QString full = QFileInfo(path).absoluteFilePath();
        if (QFileInfo(full).isReadable() && !files.contains(full))
            files.append(full);
    }
    if (files.isEmpty())
        return;
    if (peer) {
        // A peer that left while the dialog was open gets nothing.
        if (HostRecord *host = stillListed(m_engine, peer)) {
            OpenChatWindow(host);
            emit sendFilesRequested(host, files);
        }
    } else if (!node.isEmpty()) {
        emit groupSendRequested(node, files);
    }
}

void CMessengerDlg::OnNewGroup()
{
    CConfig &config = m_engine.config();
    // A refused name is told while the dialog stays open with it.
    CNewUserGroupDlg dialog(
        [&config](const QString &name) {
            return ContactCommands::NameCheckText(ContactCommands::CheckGroupName(config, name), false);
        },
        window());
    if (dialog.exec() == QDialog::Accepted) {
        const QString name = dialog.name();
        const auto check = ContactCommands::AddGroup(config, name, dialog.insertFirst());
        if (check != ContactCommands::NameCheck::Ok) {
            info(this, ContactCommands::NameCheckText(check, false));
            return;
        }
        m_contacts.treeModel()->InsertGroupNode(name, !dialog.insertFirst());
    }
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::OnRenameGroup()
{
    const Target target = selection();
    if (m_engine.config().MembersShowMode == 0 || !target.isNode())
        return;
    if (!target.userGroupNode) {
        Prompter::current().messageBox(nullptr,
            QStringLiteral("您当前选择的组下的用户是您还没有分组的用户,是位于我的好友下的,现在显示的是对方自定义的组名,"
                           "所以您不能修改这组名.\r\n您可以把该组用户分成一个组,方法是:右键点击该组,选择将好友移动至组,"
                           "再选择您要选择的组."),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    if (!ContactCommands::CanRename(target.node))
        return;
    CConfig &config = m_engine.config();
    // A refused name is told while the dialog stays open with it.
    CRenameUserGroupDlg dialog(
        target.node,
        [&config, &target](const QString &name) {
            return ContactCommands::NameCheckText(ContactCommands::CheckGroupName(config, name, target.node), true);
        },
        window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto check = ContactCommands::RenameGroup(
        config, HostsInTableOrder(m_engine.hostTable()), target.node, dialog.newName());
    if (check != ContactCommands::NameCheck::Ok) {
        info(this, ContactCommands::NameCheckText(check, true));
        return;
    }
    // Every row and count under the old name is made anew.
    RebuildUserViews(false);
    SelectNode(dialog.newName(), true);
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::OnMoveToGroup(const QString &group, bool create)
{
    CConfig &config = m_engine.config();
    const Target target = selection();
    const bool tree = config.MembersShowMode != 0;
    if (tree && target.isNode() && !target.userGroupNode) {
        const bool exists = config.FindMemberGroup(group) >= 0;
        const QList<HostRecord *> moved = ContactCommands::MovePeerGroup(
            config, HostsInTableOrder(m_engine.hostTable()), target.node, group, create);
        if (!exists && config.FindMemberGroup(group) >= 0)
            m_contacts.treeModel()->InsertGroupNode(group, true);
        for (HostRecord *host : moved)
            m_contacts.treeModel()->MoveUserToGroup(host);
        if (!moved.isEmpty() || !exists)
            config.Save(CFG_GENERAL);
        return;
    }
    if (!target.host || !ContactCommands::MovePeer(config, *target.host, group))
        return;
    // Both styles: the row follows and the groups are stored at once.
    InsertOrRefreshUser(target.host, false, false, false);
    Select(target.host);
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::OnSortBy(int id)
{
    const int kind = ContactCommands::SortKindOfCommand(id);
    if (kind < 0)
        return;
    if (m_engine.config().MembersShowMode == 0) {
        // The column's title decides, the columns may be in any order.
        m_contacts.OnListColumnClick(id - ContactListMenu::FirstSort);
        return;
    }
    const Target target = selection();
    if (!target.isNode())
        return;
    if (m_contacts.treeModel()->SetGroupSortKind(target.node, target.userGroupNode, kind) && target.userGroupNode)
        m_engine.config().Save(CFG_GENERAL);
}

void CMessengerDlg::OnCollapseAllGroups()
{
    CConfig &config = m_engine.config();
    if (config.MembersShowMode == 0)
        return;
    for (const UserGroupRecord &group : QList<UserGroupRecord>(config.MemberGroups))
        m_contacts.treeModel()->CollapseGroupItems(group.name, true);
}

void CMessengerDlg::OnExpandAllGroups()
{
    CConfig &config = m_engine.config();
    if (config.MembersShowMode == 0)
        return;
    for (const UserGroupRecord &group : QList<UserGroupRecord>(config.MemberGroups))
        if (group.collapsed)
            m_contacts.treeModel()->ExpandGroupItems(group.name, true);
}

void CMessengerDlg::OnGroupRights()
{
    CConfig &config = m_engine.config();
    const Target target = selection();
    if (config.MembersShowMode == 0 || !target.isNode())
        return;
    if (!target.userGroupNode) {
        Prompter::current().messageBox(nullptr,
            QStringLiteral("您当前选择的组下的用户是您还没有分组的用户,是位于我的好友下的,现在显示的是对方自定义的组名,"
                           "所以您应该选择我的好友组在那里设置权限,如果您想单独给这组设置权限的话,请先把该组用户分成一个组."
                           "方法是:右键点击该组,选择将好友移动至组,再选择您要选择的组.然后再设置组权限"),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    const int position = config.FindMemberGroup(target.node);
    if (!ContactCommands::CanSetRights(target.node) || position < 0)
        return;
    CUserGroupRightsDlg dialog(config.MemberGroups[position], config, window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Found again by name: the list of groups may have changed meanwhile.
    const int now = config.FindMemberGroup(target.node);
    if (now < 0)
        return;
    ContactCommands::CopyRights(dialog.record(), config.MemberGroups[now]);
    // Admission reads the rights at the next packet; they are kept at once.
    config.Save(CFG_GENERAL);
}

void CMessengerDlg::OnToggleGroupVisibility()
{
    CConfig &config = m_engine.config();
    if (config.MembersShowMode == 0)
        return;
    if (!ContactCommands::ToggleVisibleWhenHidden(config, targetGroupName(selection())))
        return;
    config.Save(CFG_GENERAL);
    // While hidden, the peers learn the new visibility at once.
    if (config.StatusValue & OwnStatus::Hidden)
        OnRefreshUsers(false);
}

void CMessengerDlg::OnEditUserInfo()
{
    CConfig &config = m_engine.config();
    HostRecord *host = selection().host;
    if (!host || host->keyText.isEmpty())
        return;
    const HostPtr hold(host);
    CChangeUserNameDlg dialog(host->displayName, config.memoUsesInfos.value(host->keyText), window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The memo belongs to the peer's key: kept even when the peer left while
    // the dialog was open. Only the record listed now is shown again; the one
    // held here may have left the table and must not come back as a row.
    ContactCommands::SetMemo(config, *host, dialog.memoName(), dialog.details());
    HostRecord *listed = stillListed(m_engine, host->key);
    if (!listed || listed->keyText != host->keyText) {
        config.Save(CFG_GENERAL);
        return;
    }
    if (listed != host)
        ContactCommands::SetMemo(config, *listed, dialog.memoName(), dialog.details());
    UpdateUserTitles(listed);
}

void CMessengerDlg::UpdateUserTitles(HostRecord *host)
{
    if (!host)
        return;
    InsertOrRefreshUser(host, false, false, false);
    emit userTitleChanged(host);
    m_engine.config().Save(CFG_GENERAL);
}

void CMessengerDlg::OnAutoGroupFriends()
{
    CConfig &config = m_engine.config();
    config.MyFriendsAutoGroup = config.MyFriendsAutoGroup != 0 ? 0 : 1;
    RebuildUserViews(false);
}

void CMessengerDlg::OnShowMemoList()
{
    CMemoListDlg dialog(m_engine.config(), this, window());
    dialog.exec();
}

void CMessengerDlg::OnAddOtherSubnetFriends()
{
    CConfig &config = m_engine.config();
    COtherSubnetFriendsDlg dialog(config.BroadcastList, window());
    if (dialog.exec() != QDialog::Accepted || dialog.entries() == config.BroadcastList)
        return;
    config.BroadcastList = dialog.entries();
    config.Save(CFG_BROADCAST);
    // The new subnets hear of us at once.
    OnRefreshUsers(false);
}

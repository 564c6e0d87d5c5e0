// The driver's commands of the contact list's menus and of modal dialogs:
//
//   menu ID [IP|@GROUP]   the peer at IP (or the user group's node, or nothing)
//                         selected, then item ID of menu 252 as its right click
//                         shows it; failed when the item is greyed
//   move IP GROUP         "把好友移动到组..." GROUP for the peer at IP
//   modaledit N TEXT      the N-th line edit of the open modal window gets TEXT
//   modalclick NAME       clicks the button NAME ("1" OK, "2" cancel) of the
//                         open modal window
//   modalcheck NAME on|off   sets the check box NAME (a control id) of the open
//                         modal window
//   peer IP               writes "PEER <ip> <custom group>|<display name>|<1
//                         when a row shows it, else 0>"
//   peers                 writes "PEERS <records of the host table> <peers of the
//                         tree> <rows of the list>" (the views follow the table)
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

namespace {

// The enabled item of the command in the menu (of the group, in the move
// submenu), or null.
QAction *findItem(QMenu *menu, int id, const QString &group = {})
{
    QAction *action = nullptr;
    if (group.isEmpty()) {
        action = TrayMenu::Find(menu, id);
    } else if (QMenu *move = ContactListMenu::MoveSubmenu(menu)) {
        const auto actions = move->actions();
        for (QAction *a : actions)
            if (a->property("group").toString() == group)
                action = a;
    }
    return action && action->isEnabled() ? action : nullptr;
}

} // namespace

std::optional<bool> TestDriver::runContactCommand(const QString &verb, const QString &rest)
{
    CMainPanelDlg *panel = m_app.mainPanel();
    CMessengerDlg *page = panel ? panel->messengerPage() : nullptr;
    const QString first = rest.section(QLatin1Char(' '), 0, 0);
    const QString second = rest.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("menu") || verb == QLatin1String("move")) {
        if (!page)
            return false;
        const QString target = verb == QLatin1String("menu") ? second : first;
        if (target.startsWith(QLatin1Char('@'))) {
            if (!page->SelectNode(target.mid(1), true))
                return false;
        } else if (!target.isEmpty() && !page->Select(host(target))) {
            return false;
        }
        // A modal dialog the item opens runs the commands queued after this one.
        const std::unique_ptr<QMenu> menu(page->MakeContactMenu());
        QAction *action = verb == QLatin1String("move") ? findItem(menu.get(), ContactListMenu::MoveToGroup, second)
                                                          : findItem(menu.get(), first.toInt());
        if (action)
            action->trigger();
        return action != nullptr;
    }
    if (verb == QLatin1String("modaledit") || verb == QLatin1String("modalclick")
        || verb == QLatin1String("modalcheck")) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return false;
        if (verb == QLatin1String("modalcheck")) {
            auto *box = modal->findChild<QCheckBox *>(first);
            if (!box || !box->isEnabled())
                return false;
            box->setChecked(second == QLatin1String("on"));
            return true;
        }
        if (verb == QLatin1String("modalclick")) {
            auto *button = modal->findChild<QPushButton *>(first);
            if (!button)
                return false;
            button->click();
            return true;
        }
        const QList<QLineEdit *> edits = modal->findChildren<QLineEdit *>();
        const int index = first.toInt();
        if (index < 0 || index >= edits.size())
            return false;
        edits[index]->setText(second);
        return true;
    }
    if (verb == QLatin1String("peers")) {
        if (!page || !m_app.engine())
            return false;
        emit commandDone(QStringLiteral("PEERS %1 %2 %3")
                             .arg(m_app.engine()->hostTable().Count())
                             .arg(page->contacts().treeModel()->peerCount())
                             .arg(page->contacts().listModel()->rowCount()));
        return true;
    }
    if (verb == QLatin1String("peer")) {
        const HostRecord *peer = host(first);
        if (!peer || !page)
            return false;
        const bool shown = page->contacts().treeModel()->Contains(peer) || page->contacts().listModel()->Contains(peer);
        emit commandDone(QStringLiteral("PEER %1 %2|%3|%4").arg(first, peer->customGroup, peer->displayName, QString::number(shown ? 1 : 0)));
        return true;
    }
    return std::nullopt;
}


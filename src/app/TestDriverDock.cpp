// The driver's commands for the main panel's place, docking and tray menu:
//
//   cursor X Y            move the pointer there (the window system then
//                         reports entering and leaving windows as it would)
//   movepanel X Y         put the panel's frame there (a move without a held
//                         button: no drag, it docks nothing)
//   panel SIDE SLID [TAG] ok when the dock side is SIDE (0..4) and the panel
//                         is slid out (1) or not (0); writes
//                         "PANEL side slid x y width height" of the frame
//   tray ID               the tray menu's command ID, as a click on its item;
//                         failed when the item is disabled
//   grabscreen PATH       save a picture of the whole screen
//   newversion            ok when the new-version notice is shown; writes
//                         "NEWVERSION <its text, lines joined by |>"
//   webfolder             open the folder of the panel's web pane
//   webpane WORD          ok when the panel's web pane shows a page with WORD
//   sidepane IP WORD      ok when the side pane of the peer's chat window
//                         shows a page with WORD
// (words after the last argument are left alone: tags that tell repeated
// commands apart)
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "chat/CChatDlg.h"
#include "chat/ChatWebPane.h"
#include "controls/CGfxOutBarCtrl.h"
#include "controls/HtmlPaneView.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CNewVersionDlg.h"
#include "mainwnd/CWebPaneDlg.h"
#include "mainwnd/PanelDocking.h"
#include "mainwnd/PanelTrayMenu.h"
#include "mainwnd/PanelVersionCheck.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>

std::optional<bool> TestDriver::runDockCommand(const QString &verb, const QString &rest)
{
    static const QStringList verbs = { QStringLiteral("cursor"), QStringLiteral("movepanel"), QStringLiteral("panel"),
        QStringLiteral("tray"), QStringLiteral("grabscreen"), QStringLiteral("newversion"), QStringLiteral("webfolder"),
        QStringLiteral("webpane"), QStringLiteral("sidepane") };
    if (!verbs.contains(verb))
        return std::nullopt;
    CMainPanelDlg *panel = m_app.mainPanel();
    if (!panel)
        return false;
    const QStringList args = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto number = [&args](int i) { return i < args.size() ? args[i].toInt() : 0; };
    if (verb == QLatin1String("cursor")) {
        QCursor::setPos(number(0), number(1));
        return true;
    }
    if (verb == QLatin1String("movepanel")) {
        panel->move(number(0), number(1));
        return true;
    }
    if (verb == QLatin1String("panel")) {
        const PanelDocking *dock = panel->docking();
        const QRect frame = panel->frameGeometry();
        emit commandDone(QStringLiteral("PANEL %1 %2 %3 %4 %5 %6")
                             .arg(dock->side())
                             .arg(dock->isSlidOut() ? 1 : 0)
                             .arg(frame.x())
                             .arg(frame.y())
                             .arg(frame.width())
                             .arg(frame.height()));
        return args.size() >= 2 && dock->side() == number(0) && (dock->isSlidOut() ? 1 : 0) == number(1)
            && !dock->isSliding();
    }
    if (verb == QLatin1String("tray")) {
        QMenu *menu = panel->trayMenu();
        emit menu->aboutToShow(); // the items' states, as before the menu opens
        QAction *action = TrayMenu::Find(menu, number(0));
        if (!action || !action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    if (verb == QLatin1String("newversion")) {
        const CNewVersionDlg *notice = panel->versionCheck()->newVersionDlg();
        if (!notice || !notice->isVisible())
            return false;
        emit commandDone(
            QStringLiteral("NEWVERSION ") + notice->infoText().replace(QLatin1Char('\n'), QLatin1Char('|')));
        return true;
    }
    if (verb == QLatin1String("webfolder")) {
        if (panel->webPaneFolder() < 0)
            return false;
        panel->folderBar()->SetSelFolder(panel->webPaneFolder());
        return true;
    }
    if (verb == QLatin1String("webpane"))
        return panel->webPane()->isVisible() && panel->webPane()->view()->toPlainText().contains(args.value(0));
    if (verb == QLatin1String("sidepane")) {
        const CChatDlg *chat = window(args.value(0), false);
        const auto *pane = chat ? chat->findChild<ChatWebPane *>(QStringLiteral("1150")) : nullptr;
        return pane && pane->isVisible() && pane->toPlainText().contains(args.value(1));
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(rest);
}

// The own-status menu of the search strip's status button, and the button's
// text following the state whichever menu changed it.
#include "mainwnd/CMainPanelDlg.h"

#include "core/CConfig.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/PanelStatusMenu.h"
#include "net/MessengerEngine.h"

#include <QAction>
#include <QMenu>

QMenu *CMainPanelDlg::MakeStatusMenu()
{
    QMenu *menu = StatusMenu::Build(this);
    const CConfig &config = m_engine.config();
    StatusMenu::Check(menu, config.StatusValue, m_engine.isAway() ? config.AwayState : 0);
    connect(menu, &QMenu::triggered, this, [this](QAction *action) { OnStatusCommand(action->data().toInt()); });
    return menu;
}

void CMainPanelDlg::showStatusMenu(const QPoint &globalPos)
{
    QMenu *menu = MakeStatusMenu();
    menu->exec(globalPos);
    delete menu;
}

void CMainPanelDlg::OnStatusCommand(int id)
{
    using namespace StatusMenu;
    if (id == Online)
        setAwayKind(0);
    else if (id >= FirstAway && id < Hidden)
        setAwayKind(id - FirstAway + 1);
    else if (id == Hidden)
        setHidden(true);
}

void CMainPanelDlg::updateStatusButton()
{
    if (!m_search)
        return;
    const CConfig &config = m_engine.config();
    m_search->SetStatusText(StatusMenu::ButtonText(config.StatusValue, m_engine.isAway() ? config.AwayState : 0, config.AwayNames));
}

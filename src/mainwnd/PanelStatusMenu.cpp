#include "mainwnd/PanelStatusMenu.h"

#include "core/StatusBits.h"
#include "mainwnd/PanelTrayMenu.h"

#include <QAction>
#include <QMenu>

namespace StatusMenu {
namespace {

int checkedId(uint32_t statusValue, int awayKind)
{
    if (statusValue & OwnStatus::Hidden)
        return Hidden;
    if (awayKind >= 1 && awayKind <= TrayMenu::AwayCount)
        return FirstAway + awayKind - 1;
    return Online;
}

} // namespace

QMenu *Build(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("389"));
    TrayMenu::AddItem(menu, Online, QStringLiteral("在线"), true);
    for (int kind = 1; kind <= TrayMenu::AwayCount; ++kind)
        TrayMenu::AddItem(menu, FirstAway + kind - 1, TrayMenu::AwayText(kind), true);
    TrayMenu::AddItem(menu, Hidden, QStringLiteral("隐身"), true);
    return menu;
}

void Check(QMenu *menu, uint32_t statusValue, int awayKind)
{
    const int id = checkedId(statusValue, awayKind);
    const auto actions = menu->actions();
    for (QAction *action : actions)
        action->setChecked(action->data().toInt() == id);
}

QString ButtonText(uint32_t statusValue, int awayKind, const std::array<QString, CConfig::AwayModeCount> &awayNames)
{
    const int id = checkedId(statusValue, awayKind);
    if (id == Hidden)
        return QStringLiteral("隐身▼");
    if (id == Online)
        return QStringLiteral("在线▼");
    const QString own = awayNames[size_t(awayKind - 1)].trimmed();
    return (own.isEmpty() ? TrayMenu::AwayText(awayKind) : own) + QStringLiteral("▼");
}

} // namespace StatusMenu

// The doodle board's buttons and menus in the chat windows: which property
// buttons a tool shows with which captions, the property sub-menus of menu
// 302 each button opens for a tool, and the image operations of menu 303.
// Every item forwards a board command (code, value); a property item is
// checked while the board's value equals its own.
#pragma once

#include <QList>
#include <QString>
#include <optional>

class CDoodleBoard;
class QMenu;
class QWidget;

namespace DoodleButton {
enum : int {
    LineType = 1182, // the second property button
    LineWidth = 1183, // the first
    Fill = 1184, // the third
    Image = 1185, // "图像操作"
};
} // namespace DoodleButton

struct DoodleMenuItem
{
    int id = 0; // the menu command id (QAction::data)
    QString text;
    int code = 0; // the board command
    int value = 0;
    bool checkable = true;
};

struct DoodleSubMenu
{
    QString title;
    QList<DoodleMenuItem> items;
};

struct DoodlePropertyButton
{
    int id = 0;
    QString caption;
};

// The property buttons shown for a tool (1..15), first to third; none for a
// tool outside that range.
QList<DoodlePropertyButton> DoodlePropertyButtons(int tool);
// The sub-menu a property button opens while the tool is current; none when
// the button has no menu for it.
std::optional<DoodleSubMenu> DoodlePropertyMenu(int buttonId, int tool);
// Menu 303 "图像".
DoodleSubMenu DoodleImageMenu();

// The menu of a property button (or of "图像操作") for the board's current
// tool, its items checked by the board's values; choosing one sends the
// command to the board. Null when the button has no menu for the tool.
QMenu *CreateDoodleMenu(QWidget *parent, CDoodleBoard *board, int buttonId);

// The small menus the chat windows share: menus of checkable command items
// (the command id in QAction::data), the screenshot options, and the limit
// of the input box.
#pragma once

#include <QList>
#include <QString>
#include <functional>

class CConfig;
class QMenu;
class QTextEdit;
class QWidget;

struct CommandItem
{
    int id = 0;
    QString text;
    bool checked = false;
    bool enabled = true;
    bool separatorBefore = false;
};

// A menu of checkable items; a chosen item's id goes to `command`.
QMenu *MakeCommandMenu(QWidget *parent, const QList<CommandItem> &items, const std::function<void(int)> &command);
// Menu 283/284: 32833 "截图时隐藏当前窗口" and 32834 "截图时显示当前窗口",
// the current choice ("CaptureSrnShowWnd") checked.
QList<CommandItem> CaptureOptionItems(const CConfig *config);
inline constexpr int kCmdCaptureHide = 32833;
inline constexpr int kCmdCaptureShow = 32834;
// Cuts what passes the limit (characters) off the end of the edit's text.
void LimitInputLength(QTextEdit *edit, int limit);

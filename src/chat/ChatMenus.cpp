#include "chat/ChatMenus.h"

#include "core/CConfig.h"

#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

QMenu *MakeCommandMenu(QWidget *parent, const QList<CommandItem> &items, const std::function<void(int)> &command)
{
    auto *menu = new QMenu(parent);
    for (const CommandItem &item : items) {
        if (item.separatorBefore)
            menu->addSeparator();
        QAction *action = menu->addAction(item.text);
        action->setData(item.id);
        action->setCheckable(true);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
    }
    QObject::connect(menu, &QMenu::triggered, menu, [command](QAction *a) { command(a->data().toInt()); });
    return menu;
}

QList<CommandItem> CaptureOptionItems(const CConfig *config)
{
    const bool show = config && config->CaptureSrnShowWnd;
    return { { kCmdCaptureHide, QStringLiteral("截图时隐藏当前窗口"), !show, config != nullptr },
        { kCmdCaptureShow, QStringLiteral("截图时显示当前窗口"), show, config != nullptr } };
}

void LimitInputLength(QTextEdit *edit, int limit)
{
    QTextDocument *doc = edit->document();
    if (doc->characterCount() - 1 <= limit)
        return;
    QTextCursor cursor(doc);
    cursor.setPosition(limit);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

#include "net/ReceivePrompts.h"

#include "core/Prompter.h"

OverwriteChoice PrompterReceivePrompts::askOverwrite(const QString &text)
{
    switch (Prompter::current().messageBox(
        m_owner, text, QStringLiteral("提示"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question)) {
    case Prompter::Button::Yes:
        return OverwriteChoice::Yes;
    case Prompter::Button::No:
        return OverwriteChoice::No;
    default:
        return OverwriteChoice::Cancel;
    }
}

QString PrompterReceivePrompts::chooseSavePath(const QString &suggestion)
{
    return Prompter::current().saveFile(
        m_owner, QString(), suggestion, Prompter::filterFromWindows(u"All Files (*.*)|*.*||"));
}

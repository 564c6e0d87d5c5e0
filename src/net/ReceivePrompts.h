// The questions a file receive asks the user before it starts: whether an
// existing file may be replaced, and where else to save an item. The chat
// window implements them with its dialogs; they are asked on the GUI thread,
// never by a worker.
#pragma once

#include "net/FileReceiveJob.h"

#include <QString>

class QObject;

class ReceivePrompts
{
public:
    virtual ~ReceivePrompts() = default;
    // The overwrite question; text is the whole question.
    virtual OverwriteChoice askOverwrite(const QString &text) = 0;
    // A save-as chooser that starts at suggestion and asks before it
    // overwrites; the chosen path, empty when the user cancelled.
    virtual QString chooseSavePath(const QString &suggestion) = 0;
};

// The same questions through the current Prompter: the overwrite question as
// a Yes/No/Cancel box (it has no "全部覆盖").
class PrompterReceivePrompts : public ReceivePrompts
{
public:
    // owner: the window the questions belong to, or null.
    explicit PrompterReceivePrompts(QObject *owner = nullptr)
        : m_owner(owner)
    {
    }
    OverwriteChoice askOverwrite(const QString &text) override;
    QString chooseSavePath(const QString &suggestion) override;

protected:
    QObject *m_owner;
};

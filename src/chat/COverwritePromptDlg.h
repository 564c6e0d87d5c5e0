// The question before a received file replaces an existing one: "是", "否"
// (choose another name), "取消" and "全部覆盖". exec() returns the
// OverwriteChoice value of the button; Esc and the close box count as "否".
#pragma once

#include "net/ReceivePrompts.h"

#include <QDialog>

class QLabel;

class COverwritePromptDlg : public QDialog
{
    Q_OBJECT
public:
    explicit COverwritePromptDlg(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

    void reject() override;

private:
    QLabel *m_text = nullptr;
};

// The receive questions of a chat window: the overwrite question with
// COverwritePromptDlg, the save-as chooser through the current Prompter.
class DialogReceivePrompts final : public PrompterReceivePrompts
{
public:
    explicit DialogReceivePrompts(QWidget *owner);
    OverwriteChoice askOverwrite(const QString &text) override;
};

// "新建组": the name of a new user group and whether it goes first. The name
// box takes no more GBK bytes than a group name holds; a name the check
// refuses is told and the dialog stays open with it.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;

class CNewUserGroupDlg : public QDialog
{
    Q_OBJECT
public:
    // The text a refused name is told with, empty when it is taken.
    using NameCheck = std::function<QString(const QString &name)>;

    explicit CNewUserGroupDlg(NameCheck check, QWidget *parent = nullptr);

    QString name() const;
    bool insertFirst() const;
    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *firstBox() const { return m_first; }

    void accept() override;

private:
    NameCheck m_check;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_first = nullptr;
};

// The group dialogs' name box: text typed or pasted is cut to the bytes a
// group name holds.
QLineEdit *MakeGroupNameEdit(const QString &text, QWidget *parent);
// Tells the refusal, if any, with the dialog open and the name box focused;
// true when the name was refused.
bool RefuseGroupName(QWidget *dialog, QLineEdit *edit, const QString &refusal);

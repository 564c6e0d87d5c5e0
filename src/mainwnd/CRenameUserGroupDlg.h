// "修改组名": the new name of a user group, given the old one. The name box
// takes no more GBK bytes than a group name holds; a name the check refuses
// is told and the dialog stays open with it.
#pragma once

#include "mainwnd/CNewUserGroupDlg.h"

#include <QDialog>

class QLineEdit;

class CRenameUserGroupDlg : public QDialog
{
    Q_OBJECT
public:
    CRenameUserGroupDlg(const QString &oldName, CNewUserGroupDlg::NameCheck check, QWidget *parent = nullptr);

    QString newName() const;
    QLineEdit *nameEdit() const { return m_name; }

    void accept() override;

private:
    CNewUserGroupDlg::NameCheck m_check;
    QLineEdit *m_name = nullptr;
};

// "修改组名": the new name of a user group, given the old one.
#pragma once

#include <QDialog>

class QLineEdit;

class CRenameUserGroupDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxChars = 48;

    explicit CRenameUserGroupDlg(const QString &oldName, QWidget *parent = nullptr);

    QString newName() const;
    QLineEdit *nameEdit() const { return m_name; }

private:
    QLineEdit *m_name = nullptr;
};

// "新建组": the name of a new user group and whether it goes first.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CNewUserGroupDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CNewUserGroupDlg(QWidget *parent = nullptr);

    QString name() const;
    bool insertFirst() const;
    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *firstBox() const { return m_first; }

private:
    QLineEdit *m_name = nullptr;
    QCheckBox *m_first = nullptr;
};

// "管理组": the user's own groups, and for the chosen one the peers that
// may join it, ticked in the select-users dialog and put into it on "确定".
#pragma once

#include <QDialog>

class CMessengerDlg;
class QListWidget;
class QPushButton;

class CUserGroupManageDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CUserGroupManageDlg(CMessengerDlg *messenger, QWidget *parent = nullptr);

    QListWidget *groupList() const { return m_groups; }
    QPushButton *addButton() const { return m_add; }

public slots:
    // "添加成员...": the select-users dialog over the peers outside the chosen
    // group; the ticked ones join it, the views are rebuilt and the groups
    // saved. Returns how many joined.
    int OnAddMembers();

private:
    void fill();

    CMessengerDlg *m_messenger;
    QListWidget *m_groups = nullptr;
    QPushButton *m_add = nullptr;
};

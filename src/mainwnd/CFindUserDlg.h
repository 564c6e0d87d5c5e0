// "查找" (dialog 156): finds peers in the contact list. In the list style
// every matching row is selected; in the tree style each "查找" moves to the
// next matching peer. The combo box (1045) keeps the texts searched before;
// the check boxes 1046..1050 choose the fields. Modeless: it stays open.
#pragma once

#include "mainwnd/FindUser.h"

#include <QDialog>

class CUserListCtrl;
class CUserTreeCtrl;
class QCheckBox;
class QComboBox;

class CFindUserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CFindUserDlg(QWidget *parent = nullptr);

    // The view style (0 the list, any other value the tree) and the views.
    void SetViews(int showMode, CUserListCtrl *list, CUserTreeCtrl *tree);
    QComboBox *textBox() const { return m_text; }
    FindUser::Fields fields() const;

public slots:
    // "查找".
    void OnFind();

private:
    void findInList(const QString &text);
    void findInTree(const QString &text);

    QComboBox *m_text = nullptr;
    QCheckBox *m_nick = nullptr, *m_host = nullptr, *m_group = nullptr, *m_address = nullptr, *m_login = nullptr;
    int m_showMode = 1;
    CUserListCtrl *m_list = nullptr;
    CUserTreeCtrl *m_tree = nullptr;
};

// "请选择用户" (dialog 380): the user ticks peers in a checkable list (1081)
// of the entries the caller gives, and confirms with "确定". A click on a
// column title sorts by it, ascending and descending in turn.
#pragma once

#include "mainwnd/UserPickEntry.h"

#include <QDialog>
#include <QList>

class CUserListCtrl;
class UserListModel;

// The order of the select-users list: by one of its six columns ("123456":
// nick name, host name, login name, group, custom group, address). Texts
// compare by their GBK bytes, addresses as numbers.
void SortPickEntries(QList<UserPickEntry> &entries, int column, bool descending);

class CSelectUsersDlg : public QDialog
{
    Q_OBJECT
public:
    // The entries are the caller's: their selected flags give the first
    // check marks and take the user's choice after "确定".
    explicit CSelectUsersDlg(QList<UserPickEntry> &entries, QWidget *parent = nullptr);

    CUserListCtrl *userList() const { return m_list; }
    // True when the next column click sorts descending; one direction for
    // every column and every dialog.
    static bool nextSortDescending();

public slots:
    // "确定": keeps the check marks; refuses with a notice while none is set.
    void accept() override;
    void OnColumnClick(int column);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fill();
    void shareColumns();
    void storeChecks();

    QList<UserPickEntry> &m_entries;
    CUserListCtrl *m_list = nullptr;
    UserListModel *m_model = nullptr;
};

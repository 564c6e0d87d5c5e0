// The result panel of the search strip (dialog 388): a popup under the strip
// with up to ten matching peers (list 1081) and three web-search links. A
// double click on a row opens the chat with that peer through the messenger
// page. It never takes the focus from the search box, and hides itself when
// the focus leaves the box.
#pragma once

#include "mainwnd/UserPickEntry.h"

#include <QBasicTimer>
#include <QList>
#include <QWidget>
#include <array>

class CHyperLinkStatic;
class CMessengerDlg;
class CUserListCtrl;
class UserListModel;

class CSearchPanelDlg : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFocusTimerMs = 100;

    // The messenger page gives the peers and opens the chats; the box is the
    // search box whose focus keeps the panel open.
    CSearchPanelDlg(CMessengerDlg *messenger, QWidget *searchBox, QWidget *parent = nullptr);
    ~CSearchPanelDlg() override;

    void SetShowWebLinks(bool show) { m_showLinks = show; }
    // Searches the peers for the text, fills the list and shows the panel
    // under the strip (its rectangle on the screen), without taking the focus.
    void Search(const QString &text, const QRect &strip);
    const QList<UserPickEntry> &results() const { return m_results; }
    int resultCount() const { return int(m_results.size()); }
    // Opens the chat with the peer of a result row; false when the peer has
    // gone since.
    bool OpenResult(int row);
    // The row the user picked with the arrow keys (-1 none); the focus
    // stays in the search box.
    int currentRow() const;
    void MoveCurrent(int step);

    CUserListCtrl *resultList() const { return m_list; }
    CHyperLinkStatic *link(int index) const;

protected:
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void fillList();

    CMessengerDlg *m_messenger;
    QWidget *m_box;
    CUserListCtrl *m_list = nullptr;
    UserListModel *m_model = nullptr;
    std::array<CHyperLinkStatic *, 3> m_links{};
    QList<UserPickEntry> m_results;
    QBasicTimer m_focusTimer;
    bool m_showLinks = true;
};

// The list style of the contact list (control 1000): a UserListModel with
// head icons in the first column, grid lines and full-row selection.
#pragma once

#include "mainwnd/CSkinListCtrl.h"

class HostRecord;
class UserListModel;

class CUserListCtrl : public CSkinListCtrl
{
    Q_OBJECT
public:
    explicit CUserListCtrl(QWidget *parent = nullptr);

    void setListModel(UserListModel *model);
    UserListModel *listModel() const { return m_model; }

    // Grid lines, full-row selection, shown.
    void Init(QObject *owner);
    // The columns anew from a digit string, each at its default width.
    void SetColumnOrder(const QString &order);
    int GetColumnPosition(int field) const;
    // Widths in field order; fields without a column are skipped.
    void SetColumnWidths(const QList<int> &widths);
    // Every column fitted to its content and title, once.
    void AutoSizeColumns();
    // 32 × 32 or 16 × 16 head icons; the row height follows.
    void SetLargeIcons(bool large);
    bool largeIcons() const { return m_large; }
    // The peer of a row, or none.
    HostRecord *hostAt(int row) const;

signals:
    void columnClicked(int column);
    void userDoubleClicked(HostRecord *host);

private:
    void applyDefaultWidths();

    UserListModel *m_model = nullptr;
    QObject *m_owner = nullptr;
    bool m_large = false;
};

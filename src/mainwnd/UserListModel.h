// The rows and columns of the user list: up to six columns whose presence
// and order come from a digit string ("123456"), one row per peer in the
// order of the contact list's comparison. The view decides widths and draws.
#pragma once

#include "mainwnd/ContactEntry.h"

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class CConfig;

class UserListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role { HostRole = Qt::UserRole + 1, ImageRole, FieldRole };

    // Column titles by field index ("用户名", "主机", "登录名", "组名",
    // "自定义组名", "IP地址") and their default widths.
    static QString FieldTitle(int field);
    static int DefaultWidth(int field);
    // The sort kind a column title stands for, or nothing.
    static std::optional<int> SortKindOfTitle(const QString &title);

    explicit UserListModel(QObject *parent = nullptr);
    ~UserListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Rows with a check box in the first column (pick lists).
    void setCheckable(bool checkable) { m_checkable = checkable; }
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    // ---- columns ----
    // Replaces the columns: for exactly "123456" the six in field order with
    // their default widths, otherwise one 100-pixel column per digit 1..6
    // (other characters skipped, digits may repeat).
    void SetColumnOrder(const QString &order);
    // Position of a field's column, -1 when not shown or the index is bad.
    int GetColumnPosition(int field) const;
    int columnField(int column) const;
    int columnDefaultWidth(int column) const;
    QStringList columnTitles() const { return m_titles; }

    // ---- rows ----
    // Inserts a row with its texts in field order; fails (returns
    // lastField + 1, nothing inserted) when fewer than lastField + 1 texts are
    // given, else returns lastField. host becomes the row's item data.
    int InsertUserRow(int index, int lastField, const QStringList &texts, int image, HostRecord *host = nullptr);
    void DeleteAllItems();
    bool DeleteRowOf(const HostRecord *host);

    // ---- the contact list's order ----
    int sortKind() const { return m_sortKind; }
    bool descending() const { return m_descending; }
    void setSort(int kind, bool descending);
    int CompareUsers(const ContactEntry &a, const ContactEntry &b, const SortOptions &options) const;
    // The row before which the peer belongs (binary search over the rows).
    int FindInsertPosition(const ContactEntry &entry, const SortOptions &options) const;
    // Inserts the peer in order, or refreshes its row (moving it when its
    // order changed). Returns its row.
    int InsertOrRefresh(HostRecord *host, const CConfig *config);
    // All peers at once, sorted once.
    void Fill(const QList<HostRecord *> &hosts, const CConfig *config);

    bool Contains(const HostRecord *host) const { return m_hosts.count(host) != 0; }
    int rowOfHost(const HostRecord *host) const;
    HostRecord *hostAt(int row) const;
    const ContactEntry *entryAt(int row) const;

    // What the view shows as a row's picture (the model itself draws nothing).
    using Decoration = std::function<QVariant(int image)>;
    void setDecoration(Decoration decoration) { m_decoration = std::move(decoration); }

private:
    void insertEntry(int row, std::unique_ptr<ContactEntry> entry);

    QStringList m_titles;
    std::vector<int> m_fields; // field of every column
    bool m_standardOrder = false;
    std::vector<std::unique_ptr<ContactEntry>> m_rows;
    std::unordered_set<const HostRecord *> m_hosts;
    int m_sortKind = SortNone;
    bool m_descending = false;
    Decoration m_decoration;
    bool m_checkable = false;
};

#include "mainwnd/UserListModel.h"

#include <algorithm>

namespace {

constexpr int kFieldCount = ContactEntry::FieldCount;
const char *const kTitles[kFieldCount] = { "用户名", "主机", "登录名", "组名", "自定义组名", "IP地址" };
constexpr int kDefaultWidths[kFieldCount] = { 100, 100, 100, 150, 150, 100 };
constexpr int kColumnWidth = 100;

} // namespace

QString UserListModel::FieldTitle(int field)
{
    return field >= 0 && field < kFieldCount ? QString::fromUtf8(kTitles[field]) : QString();
}

int UserListModel::DefaultWidth(int field)
{
    return field >= 0 && field < kFieldCount ? kDefaultWidths[field] : kColumnWidth;
}

std::optional<int> UserListModel::SortKindOfTitle(const QString &title)
{
    static const std::pair<int, int> kKinds[] = {
        { ContactEntry::NickField, SortByName },
        { ContactEntry::HostField, SortByHost },
        { ContactEntry::LoginField, SortByLogin },
        { ContactEntry::GroupField, SortByGroup },
        { ContactEntry::CustomGroupField, SortByCustomGroup },
        { ContactEntry::AddressField, SortByAddress },
    };
    for (const auto &[field, kind] : kKinds)
        if (title == FieldTitle(field))
            return kind;
    return std::nullopt;
}

UserListModel::UserListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

UserListModel::~UserListModel() = default;

int UserListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int UserListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant UserListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= int(m_fields.size()))
        return {};
    const ContactEntry &e = *m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return e.field(m_fields[size_t(index.column())]);
    case Qt::DecorationRole:
        return index.column() == 0 && m_decoration ? m_decoration(e.image) : QVariant();
    case HostRole:
        return QVariant::fromValue(quintptr(e.host.data()));
    case ImageRole:
        return e.image;
    case Qt::CheckStateRole:
        return m_checkable && index.column() == 0 ? QVariant(e.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    default:
        return {};
    }
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_fields.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_titles.value(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags UserListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_checkable && index.isValid() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool UserListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0
        || index.row() >= int(m_rows.size()))
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

bool UserListModel::isChecked(int row) const
{
    return row >= 0 && row < int(m_rows.size()) && m_rows[size_t(row)]->checked;
}

void UserListModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= int(m_rows.size()) || m_rows[size_t(row)]->checked == checked)
        return;
    m_rows[size_t(row)]->checked = checked;
    emit dataChanged(index(row, 0), index(row, 0), { Qt::CheckStateRole });
}

void UserListModel::SetColumnOrder(const QString &order)
{
    beginResetModel();
    m_titles.clear();
    m_fields.clear();
    m_standardOrder = order == QLatin1String("123456");
    for (QChar c : order) {
        if (c < QLatin1Char('1') || c > QLatin1Char('6'))
            continue;
        const int field = c.unicode() - u'1';
        m_fields.push_back(field);
        m_titles.append(FieldTitle(field));
    }
    endResetModel();
}

int UserListModel::GetColumnPosition(int field) const
{
    if (field < 0 || field >= kFieldCount)
        return -1;
    return int(m_titles.indexOf(FieldTitle(field)));
}

int UserListModel::columnField(int column) const
{
    return column >= 0 && column < int(m_fields.size()) ? m_fields[size_t(column)] : -1;
}

int UserListModel::columnDefaultWidth(int column) const
{
    return m_standardOrder ? DefaultWidth(columnField(column)) : kColumnWidth;
}

void UserListModel::insertEntry(int row, std::unique_ptr<ContactEntry> entry)
{
    row = std::clamp(row, 0, int(m_rows.size()));
    beginInsertRows(QModelIndex(), row, row);
    if (entry->host)
        m_hosts.insert(entry->host.data());
    m_rows.insert(m_rows.begin() + row, std::move(entry));
    endInsertRows();
}

int UserListModel::InsertUserRow(int index, int lastField, const QStringList &texts, int image, HostRecord *host)
{
    if (lastField < 0 || texts.size() < lastField + 1)
        return lastField + 1;
    auto entry = std::make_unique<ContactEntry>(ContactEntry::Make(host, nullptr));
    QString *fields[kFieldCount] = { &entry->nick, &entry->hostName, &entry->login, &entry->group,
        &entry->customGroup, &entry->address };
    for (int i = 0; i <= lastField && i < kFieldCount; ++i)
        *fields[i] = texts[i];
    entry->image = image;
    insertEntry(index, std::move(entry));
    return lastField;
}

void UserListModel::DeleteAllItems()
{
    beginResetModel();
    m_rows.clear();
    m_hosts.clear();
    endResetModel();
}

bool UserListModel::DeleteRowOf(const HostRecord *host)
{
    const int row = rowOfHost(host);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_hosts.erase(host);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void UserListModel::setSort(int kind, bool descending)
{
    m_sortKind = kind;
    m_descending = descending;
}

int UserListModel::CompareUsers(const ContactEntry &a, const ContactEntry &b, const SortOptions &options) const
{
    return CompareUsersBy(a.keys, b.keys, m_sortKind, m_descending, options);
}

int UserListModel::FindInsertPosition(const ContactEntry &entry, const SortOptions &options) const
{
    return int(BinaryInsertPosition(qsizetype(m_rows.size()),
        [&](qsizetype mid) { return CompareUsers(entry, *m_rows[size_t(mid)], options); }));
}

int UserListModel::InsertOrRefresh(HostRecord *host, const CConfig *config)
{
    if (!host)
        return -1;
    auto entry = std::make_unique<ContactEntry>(ContactEntry::Make(host, config));
    const SortOptions options = SortOptions::FromConfig(config);
    const int row = rowOfHost(host);
    if (row >= 0) {
        const bool prevOk = row == 0 || CompareUsers(*entry, *m_rows[size_t(row - 1)], options) >= 0;
        const bool nextOk = row + 1 >= int(m_rows.size()) || CompareUsers(*entry, *m_rows[size_t(row + 1)], options) <= 0;
        if (prevOk && nextOk) {
            m_rows[size_t(row)] = std::move(entry);
            emit dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
            return row;
        }
        DeleteRowOf(host);
    }
    const int at = FindInsertPosition(*entry, options);
    insertEntry(at, std::move(entry));
    return at;
}

void UserListModel::Fill(const QList<HostRecord *> &hosts, const CConfig *config)
{
    beginResetModel();
    m_rows.clear();
    m_hosts.clear();
    m_rows.reserve(size_t(hosts.size()));
    for (HostRecord *host : hosts) {
        if (!host || m_hosts.count(host))
            continue;
        m_hosts.insert(host);
        m_rows.push_back(std::make_unique<ContactEntry>(ContactEntry::Make(host, config)));
    }
    // One sort for all rows; a stable sort stays in bounds with any comparator.
    const SortOptions options = SortOptions::FromConfig(config);
    std::stable_sort(m_rows.begin(), m_rows.end(),
        [&](const auto &a, const auto &b) { return CompareUsers(*a, *b, options) < 0; });
    endResetModel();
}

int UserListModel::rowOfHost(const HostRecord *host) const
{
    if (!host || !m_hosts.count(host))
        return -1;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i]->host.data() == host)
            return int(i);
    return -1;
}

HostRecord *UserListModel::hostAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)]->host.data() : nullptr;
}

const ContactEntry *UserListModel::entryAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].get() : nullptr;
}

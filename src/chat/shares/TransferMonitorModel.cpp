#include "chat/shares/TransferMonitorModel.h"

#include "chat/session/SendProgress.h"
#include "core/PathUtil.h"
#include "core/SizeFormat.h"
#include "net/CFileOfferTable.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

const QString &waitingText()
{
    static const QString text = CFileOfferTable::StatusText(TransferWaiting);
    return text;
}

const QString &receivedText()
{
    static const QString text = CFileOfferTable::StatusText(TransferReceived);
    return text;
}

} // namespace

TransferMonitorModel::TransferMonitorModel(CFileOfferTable &table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

std::vector<MonitorRow> TransferMonitorModel::rowsOf(const FileOffer &offer, int *nextNumber) const
{
    std::vector<MonitorRow> out;
    for (size_t d = 0; d < offer.destinations.size(); ++d) {
        const HostRecord &host = *offer.destinations[d];
        const QString destination
            = host.displayName.trimmed() + QLatin1Char('(') + host.key.hostName().trimmed() + QStringLiteral(") ");
        for (size_t e = 0; e < offer.entries.size(); ++e) {
            const quint8 status = offer.statusAt(qsizetype(d), qsizetype(e));
            if (status == TransferReceived)
                continue;
            const OfferedFile &entry = offer.entries[e];
            MonitorRow row;
            row.key = CFileOfferTable::TransferKey(offer.packetNumber, entry.fileId, host.key.address, host.key.port);
            if (const int shown = RowOf(row.key); shown >= 0) {
                out.push_back(m_rows[size_t(shown)]);
                continue;
            }
            row.number = (*nextNumber)++;
            row.packetNumber = offer.packetNumber;
            row.folder = entry.isFolder();
            row.path = entry.path;
            row.file = PathToDisplayName(entry.path).trimmed();
            const QString kind = row.folder ? QStringLiteral("目录") : QStringLiteral("文件");
            row.size = entry.size != 0
                ? QStringLiteral("%1(%2)").arg(FormatFileSize(qint64(entry.size), FileSizeBlankBeforeUnit), kind)
                : kind;
            row.state = CFileOfferTable::StatusText(status);
            row.destination = destination;
            out.push_back(std::move(row));
        }
    }
    return out;
}

void TransferMonitorModel::Rebuild()
{
    beginResetModel();
    m_rows.clear();
    m_index.clear();
    m_nextNumber = 1;
    for (const auto &offer : m_table.offers()) {
        std::vector<MonitorRow> rows = rowsOf(*offer, &m_nextNumber);
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    }
    reindexFrom(0);
    endResetModel();
}

void TransferMonitorModel::UpdateOffer(quint32 packetNumber)
{
    // The rows of an offer stand together, in the order of the offers.
    int first = -1;
    int last = -1;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (m_rows[size_t(i)].packetNumber == packetNumber) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    const FileOffer *offer = m_table.FindOffer(packetNumber);
    std::vector<MonitorRow> fresh = offer ? rowsOf(*offer, &m_nextNumber) : std::vector<MonitorRow>();
    if (first < 0 && fresh.empty())
        return; // no rows before, none now (an offer still taking its entries)
    if (first >= 0 && int(fresh.size()) == last - first + 1
        && std::equal(fresh.begin(), fresh.end(), m_rows.begin() + first,
            [](const MonitorRow &a, const MonitorRow &b) { return a.key == b.key; }))
        return; // the same rows: nothing to draw again
    if (first >= 0) {
        beginRemoveRows({}, first, last);
        for (int i = first; i <= last; ++i)
            m_index.remove(m_rows[size_t(i)].key);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
    } else {
        // Behind the rows of the offers before it.
        QHash<quint32, int> order;
        for (const auto &o : m_table.offers())
            order.insert(o->packetNumber, int(order.size()));
        const int mine = order.value(packetNumber, INT_MAX);
        first = 0;
        while (first < int(m_rows.size()) && order.value(m_rows[size_t(first)].packetNumber, INT_MAX) < mine)
            ++first;
    }
    if (!fresh.empty()) {
        beginInsertRows({}, first, first + int(fresh.size()) - 1);
        m_rows.insert(m_rows.begin() + first, std::make_move_iterator(fresh.begin()),
            std::make_move_iterator(fresh.end()));
        reindexFrom(first);
        endInsertRows();
    } else {
        reindexFrom(first);
    }
}

void TransferMonitorModel::reindexFrom(int first)
{
    for (int i = qMax(first, 0); i < int(m_rows.size()); ++i)
        m_index.insert(m_rows[size_t(i)].key, i);
}

int TransferMonitorModel::RowOf(const QString &key) const
{
    return m_index.value(key, -1);
}

bool TransferMonitorModel::SetProgress(const QString &key, const QString &text, int value)
{
    const int row = RowOf(key);
    if (row < 0)
        return false;
    MonitorRow &r = m_rows[size_t(row)];
    value = std::clamp(value, -1, 100);
    if (r.progress != value || r.state != text) {
        r.progress = value;
        r.state = text;
        const QModelIndex cell = index(row, StateColumn);
        emit dataChanged(cell, cell, { Qt::DisplayRole, ProgressRole });
    }
    return true;
}

bool TransferMonitorModel::SetStateText(const QString &key, const QString &text)
{
    const int row = RowOf(key);
    if (row < 0)
        return false;
    int value = m_rows[size_t(row)].progress;
    if (text == waitingText())
        value = -1;
    else if (text == receivedText())
        value = 100;
    return SetProgress(key, text, value);
}

bool TransferMonitorModel::RemoveTransfer(const QString &key)
{
    const int row = RowOf(key);
    if (row < 0)
        return false;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_index.remove(key);
    reindexFrom(row);
    endRemoveRows();
    return true;
}

int TransferMonitorModel::DeleteRows(const QList<int> &rows)
{
    QList<quint32> numbers;
    for (int row : rows) {
        if (row >= 0 && row < int(m_rows.size()) && !numbers.contains(m_rows[size_t(row)].packetNumber))
            numbers.append(m_rows[size_t(row)].packetNumber);
    }
    int removed = 0;
    for (quint32 number : numbers) {
        FileOffer *offer = m_table.FindOffer(number);
        if (offer && !offer->isBeingReceived()) {
            m_table.RemoveOffer(offer);
            ++removed;
        }
    }
    Rebuild();
    return removed;
}

int TransferMonitorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TransferMonitorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TransferMonitorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const MonitorRow &r = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NumberColumn:
            return QString::number(r.number);
        case FileColumn:
            return r.file;
        case SizeColumn:
            return r.size;
        case StateColumn:
            return r.state;
        case DestinationColumn:
            return r.destination;
        default:
            return {};
        }
    case Qt::DecorationRole:
        return index.column() == FileColumn && m_icons ? m_icons(r) : QVariant();
    case ProgressRole:
        return r.progress;
    case PacketRole:
        return r.packetNumber;
    default:
        return {};
    }
}

QVariant TransferMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString titles[ColumnCount] = { QStringLiteral("序号"), QStringLiteral("文件"), QStringLiteral("大小"),
        QStringLiteral("进度状态"), QStringLiteral("发送用户") };
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return titles[section];
}

MonitorProgress TransferMonitorModel::ProgressOf(const TransferState &state)
{
    const SendProgress progress = SendProgressOf(state);
    return { CFileOfferTable::TransferKey(state.packetNumber, state.fileId, state.address, state.port), progress.text,
        progress.percent };
}

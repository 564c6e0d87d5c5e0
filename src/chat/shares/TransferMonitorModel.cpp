#include "chat/shares/TransferMonitorModel.h"

#include "core/PathUtil.h"
#include "core/SizeFormat.h"
#include "net/CFileOfferTable.h"

#include <algorithm>

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

TransferMonitorModel::TransferMonitorModel(CFileOfferTable &table)
    : m_table(table)
{
}

void TransferMonitorModel::Rebuild()
{
    m_rows.clear();
    m_index.clear();
    int n = 0;
    for (const auto &offer : m_table.offers()) {
        for (size_t d = 0; d < offer->destinations.size(); ++d) {
            const HostRecord &host = *offer->destinations[d];
            for (size_t e = 0; e < offer->entries.size(); ++e) {
                const quint8 status = offer->statusAt(qsizetype(d), qsizetype(e));
                if (status == TransferReceived)
                    continue;
                const OfferedFile &entry = offer->entries[e];
                MonitorRow row;
                row.number = ++n;
                row.key
                    = CFileOfferTable::TransferKey(offer->packetNumber, entry.fileId, host.key.address, host.key.port);
                row.packetNumber = offer->packetNumber;
                row.folder = entry.isFolder();
                row.path = entry.path;
                row.file = PathToDisplayName(entry.path).trimmed();
                const QString kind = row.folder ? QStringLiteral("目录") : QStringLiteral("文件");
                row.size = entry.size != 0
                    ? QStringLiteral("%1(%2)").arg(FormatFileSize(qint64(entry.size), FileSizeBlankBeforeUnit), kind)
                    : kind;
                row.state = CFileOfferTable::StatusText(status);
                row.destination = host.displayName.trimmed() + QLatin1Char('(') + host.key.hostName().trimmed()
                    + QStringLiteral(") ");
                m_index.insert(row.key, int(m_rows.size()));
                m_rows.push_back(std::move(row));
            }
        }
    }
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
    m_rows[size_t(row)].progress = std::clamp(value, -1, 100);
    m_rows[size_t(row)].state = text;
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
    m_rows.erase(m_rows.begin() + row);
    m_index.remove(key);
    for (auto it = m_index.begin(); it != m_index.end(); ++it) {
        if (it.value() > row)
            --it.value();
    }
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

MonitorProgress TransferMonitorModel::ProgressOf(const TransferState &state)
{
    MonitorProgress out;
    out.key = CFileOfferTable::TransferKey(state.packetNumber, state.fileId, state.address, state.port);
    const qint64 done = qint64(qMin<quint64>(state.bytesDone, quint64(INT64_MAX)));
    const qint64 total = qint64(qMin<quint64>(state.bytesTotal, quint64(INT64_MAX)));
    out.text = state.folder ? FormatFileCountProgress(state.elapsedMs, done, int(state.filesDone))
                            : FormatTransferProgress(state.elapsedMs, done, total);
    // In 64 bits, and never beyond the ends (a file that grew while it was sent).
    if (total > 0)
        out.percent = int(std::clamp<long double>(static_cast<long double>(done) * 100 / total, 0, 100));
    return out;
}

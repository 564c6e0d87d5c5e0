// The rows of the transfer monitor as an item model: one row per destination
// and entry of the user's file offers that is not yet received, keyed by the
// transfer key, with the progress of each. A change of one offer replaces
// that offer's rows only, a progress report changes one row: the view draws
// what changed, never the whole list again. The file server's progress
// arrives as value snapshots (TransferState) on the GUI thread; nothing here
// reads a send worker's own state.
#pragma once

#include "net/FileTransferState.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

class CFileOfferTable;
struct FileOffer;

struct MonitorRow
{
    QString key;
    quint32 packetNumber = 0;
    int number = 0; // "序号": kept when rows above go
    QString file;
    QString size;
    QString state;
    QString destination;
    bool folder = false;
    QString path;
    int progress = -1; // -1 or 0: no bar; 1..100 percent
};

// What one progress report shows.
struct MonitorProgress
{
    QString key;
    QString text;
    int percent = 0;
};

class TransferMonitorModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NumberColumn, FileColumn, SizeColumn, StateColumn, DestinationColumn, ColumnCount };
    // The progress value of a row, read by the delegate that draws the bar.
    static constexpr int ProgressRole = Qt::UserRole + 1;
    // The offer's packet number (the row's item data).
    static constexpr int PacketRole = Qt::UserRole;

    explicit TransferMonitorModel(CFileOfferTable &table, QObject *parent = nullptr);

    // The decoration of the file column: called once per row that is drawn.
    using IconSource = std::function<QVariant(const MonitorRow &row)>;
    void setIconSource(IconSource source) { m_icons = std::move(source); }

    // All rows again from the offers, numbered from 1.
    void Rebuild();
    // The offer's rows again (the offer was made, changed or went); the rows
    // of the other offers are left as they are.
    void UpdateOffer(quint32 packetNumber);
    const std::vector<MonitorRow> &rows() const { return m_rows; }
    // The row of a key, -1 when it has none.
    int RowOf(const QString &key) const;
    // Stores the value (kept within -1..100) and the state text; false when
    // the key has no row.
    bool SetProgress(const QString &key, const QString &text, int value);
    // The state text; "等待对方接收" clears the bar, "对方接收完成" fills it.
    bool SetStateText(const QString &key, const QString &text);
    // Deletes the key's row; the rows below move up, their numbers stay.
    bool RemoveTransfer(const QString &key);
    // "删除": the offers of the rows, unless something of an offer is being
    // received, are withdrawn; then the rows are rebuilt. Returns how many
    // offers went.
    int DeleteRows(const QList<int> &rows);

    // The text and percentage of a running send.
    static MonitorProgress ProgressOf(const TransferState &state);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The rows of one offer; numbers and progress of keys already shown are
    // kept, new keys take the next numbers.
    std::vector<MonitorRow> rowsOf(const FileOffer &offer, int *nextNumber) const;
    void reindexFrom(int first);

    CFileOfferTable &m_table;
    std::vector<MonitorRow> m_rows;
    QHash<QString, int> m_index;
    int m_nextNumber = 1;
    IconSource m_icons;
};

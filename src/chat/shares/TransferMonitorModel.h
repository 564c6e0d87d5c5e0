// The rows of the transfer monitor without widgets: one row per destination
// and entry of the user's file offers that is not yet received, keyed by the
// transfer key, with the progress of each. The file server's progress
// arrives as value snapshots (TransferState) on the GUI thread; nothing here
// reads a send worker's own state.
#pragma once

#include "net/FileTransferState.h"

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

class CFileOfferTable;

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

class TransferMonitorModel
{
public:
    explicit TransferMonitorModel(CFileOfferTable &table);

    // All rows again from the offers.
    void Rebuild();
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

private:
    CFileOfferTable &m_table;
    std::vector<MonitorRow> m_rows;
    QHash<QString, int> m_index;
};

// The rows of the chat-log viewer's record list (the search results): one
// row per record with the user name, the host name, the dotted address and
// the text on one line (its tip shows a long one whole). A row's record is read from the file when the row is
// first shown, so a search with a million hits holds no texts.
#pragma once

#include "net/ChatLogFormat.h"
#include "net/ChatLogIndex.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QFile>
#include <memory>

class ChatLogRecordModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kCachedRows = 512;
    // The columns: user name, host name, address, and the text.
    static constexpr int kTextColumn = 3;

    explicit ChatLogRecordModel(QObject *parent = nullptr);

    void SetRecords(std::shared_ptr<const ChatLogIndex> index, const QString &path, const QList<qint32> &records);
    void Clear();
    // The record a row shows, -1 for none.
    qint32 recordAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QStringList *rowTexts(int row) const;

    std::shared_ptr<const ChatLogIndex> m_index;
    QList<qint32> m_records;
    mutable QFile m_file;
    mutable QCache<int, QStringList> m_cache { kCachedRows };
};

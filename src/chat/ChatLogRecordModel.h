// The rows of the chat-log viewer's record list (the search results): one
// row per record with the user name, the host name, the dotted address and
// the text on one line; each cell's tip shows its text whole (as plain
// text), for a name or a text cut at its column's edge. A row's record is
// read from the file when the row is first shown, so a search with a
// million hits holds no texts. The text cell shows what matched
// (ChatLogHitDelegate).
#pragma once

#include "net/ChatLogFormat.h"
#include "net/ChatLogIndex.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QFile>
#include <QStyledItemDelegate>
#include <memory>

class QFontMetrics;

class ChatLogRecordModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kCachedRows = 512;
    // The columns: user name, host name, address, and the text.
    static constexpr int kTextColumn = 3;
    // The text searched for, of the text column's cells.
    static constexpr int kFoundRole = Qt::UserRole + 1;

    explicit ChatLogRecordModel(QObject *parent = nullptr);

    void SetRecords(std::shared_ptr<const ChatLogIndex> index, const QString &path, const QList<qint32> &records,
        const QString &found = QString());
    void Clear();
    // The record a row shows, -1 for none.
    qint32 recordAt(int row) const;

    // The widths of the key columns (name, host, address) from what each
    // needs, so that together they take at most `room` (the text keeps the
    // rest). From the smallest need up, a column gets what it needs while
    // that leaves each column after it `least` (the room of its title): so
    // the address and a short name stay whole beside a long one. From the
    // first that cannot, the columns left share what is left evenly, one
    // that needs less than its share keeping its need.
    static QList<int> KeyColumnWidths(const QList<int> &needed, const QList<int> &least, int room);

    // The text of a hit as a cell `width` pixels wide shows it: the text
    // itself when it fits up to the end of the first match of `found`
    // (or holds none); otherwise "…" and the text from a little before that
    // match (a third of the width), so that what matched is in view and the
    // cell cuts the end.
    static QString AroundMatch(const QString &text, const QString &found, const QFontMetrics &metrics, int width);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QStringList *rowTexts(int row) const;

    std::shared_ptr<const ChatLogIndex> m_index;
    QList<qint32> m_records;
    QString m_found;
    mutable QFile m_file;
    mutable QCache<int, QStringList> m_cache { kCachedRows };
};

// The text column of the record list: the cell shows what matched, by
// ChatLogRecordModel::AroundMatch at the cell's width.
class ChatLogHitDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text the cell of `index` shows in `option.rect`, before the style
    // cuts its end.
    QString ShownText(const QStyleOptionViewItem &option, const QModelIndex &index) const;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

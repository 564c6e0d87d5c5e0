#include "chat/ChatLogRecordModel.h"

#include "chat/session/ChatPeer.h"
#include "core/PlainText.h"
#include "net/ChatLogReader.h"

ChatLogRecordModel::ChatLogRecordModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ChatLogRecordModel::SetRecords(
    std::shared_ptr<const ChatLogIndex> index, const QString &path, const QList<qint32> &records)
{
    beginResetModel();
    m_index = std::move(index);
    m_records = m_index ? records : QList<qint32>();
    m_cache.clear();
    m_file.close();
    m_file.setFileName(path);
    endResetModel();
}

void ChatLogRecordModel::Clear()
{
    SetRecords(nullptr, QString(), {});
}

qint32 ChatLogRecordModel::recordAt(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records[row] : -1;
}

int ChatLogRecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int ChatLogRecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kTextColumn + 1;
}

QVariant ChatLogRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > kTextColumn)
        return {};
    static const char16_t *const titles[] = { u"用户名", u"主机", u"IP地址", u"内容" };
    return QString::fromUtf16(titles[section]);
}

const QStringList *ChatLogRecordModel::rowTexts(int row) const
{
    if (QStringList *cached = m_cache.object(row))
        return cached;
    const qint32 record = recordAt(row);
    if (record < 0 || !m_index || record >= m_index->recordCount())
        return nullptr;
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
        return nullptr;
    auto *texts = new QStringList({ QString(), QString(), QString(), QString() });
    if (m_file.seek(m_index->recordOffset(record))) {
        const QByteArray bytes = m_file.read(m_index->recordEnd(record) - m_index->recordOffset(record));
        if (const std::optional<ChatLogEntry> entry = ChatLogReader::ParseRecord(bytes)) {
            QString text = entry->text;
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            *texts = { entry->userName, entry->hostName, DottedAddress(entry->address), text.trimmed() };
        }
    }
    m_cache.insert(row, texts);
    return texts;
}

QVariant ChatLogRecordModel::data(const QModelIndex &index, int role) const
{
    const bool tip = role == Qt::ToolTipRole && index.column() == kTextColumn;
    if ((role != Qt::DisplayRole && !tip) || !index.isValid() || index.column() > kTextColumn)
        return {};
    const QStringList *texts = rowTexts(index.row());
    const QString text = texts ? texts->at(index.column()) : QString();
    return tip ? PlainText::ToolTip(text) : text;
}

#include "chat/ChatLogRecordModel.h"

#include "chat/session/ChatPeer.h"
#include "core/PlainText.h"
#include "net/ChatLogReader.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <algorithm>
#include <numeric>

ChatLogRecordModel::ChatLogRecordModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ChatLogRecordModel::SetRecords(
    std::shared_ptr<const ChatLogIndex> index, const QString &path, const QList<qint32> &records, const QString &found)
{
    beginResetModel();
    m_index = std::move(index);
    m_records = m_index ? records : QList<qint32>();
    m_found = found;
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

QList<int> ChatLogRecordModel::KeyColumnWidths(const QList<int> &needed, const QList<int> &least, int room)
{
    QList<int> order(needed.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&needed](int a, int b) { return needed[a] < needed[b]; });
    QList<int> widths(needed.size(), 0);
    int left = std::max(room, 0);
    qsizetype k = 0;
    for (; k < order.size(); ++k) {
        int reserved = 0;
        for (qsizetype after = k + 1; after < order.size(); ++after)
            reserved += least.value(order[after]);
        const int column = order[k];
        if (needed[column] > left - reserved)
            break;
        widths[column] = std::max(needed[column], 0);
        left -= widths[column];
    }
    for (; k < order.size(); ++k) {
        const int column = order[k];
        widths[column] = std::clamp(needed[column], 0, left / int(order.size() - k));
        left -= widths[column];
    }
    return widths;
}

QString ChatLogRecordModel::AroundMatch(const QString &text, const QString &found, const QFontMetrics &metrics, int width)
{
    const qsizetype at = found.isEmpty() ? -1 : text.indexOf(found);
    if (at < 0 || width <= 0)
        return text;
    // Every character takes a pixel or more: a match far into a long text
    // is out of view without measuring it all.
    const qsizetype end = at + found.size();
    if (end <= width && metrics.horizontalAdvance(text.left(end)) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    const int lead = width / 3 - metrics.horizontalAdvance(ellipsis);
    qsizetype from = at;
    for (int used = 0; from > 0;) {
        used += metrics.horizontalAdvance(text[from - 1]);
        if (used > lead)
            break;
        --from;
    }
    return ellipsis + text.sliced(from);
}

QVariant ChatLogRecordModel::data(const QModelIndex &index, int role) const
{
    if (role == kFoundRole)
        return index.isValid() && index.column() == kTextColumn ? m_found : QString();
    const bool tip = role == Qt::ToolTipRole;
    if ((role != Qt::DisplayRole && !tip) || !index.isValid() || index.column() > kTextColumn)
        return {};
    const QStringList *texts = rowTexts(index.row());
    const QString text = texts ? texts->at(index.column()) : QString();
    return tip ? PlainText::ToolTip(text) : text;
}

QString ChatLogHitDelegate::ShownText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    // The style keeps this much room on each side of a cell's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return ChatLogRecordModel::AroundMatch(index.data().toString(),
        index.data(ChatLogRecordModel::kFoundRole).toString(), option.fontMetrics, option.rect.width() - 2 * margin);
}

void ChatLogHitDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = ShownText(*option, index);
}

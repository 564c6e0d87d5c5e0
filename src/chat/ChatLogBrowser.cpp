#include "chat/ChatLogBrowser.h"

#include "chat/session/ChatPeer.h"
#include "core/Gbk.h"
#include "net/ChatLogReader.h"

#include <QFile>
#include <algorithm>

namespace {

const QByteArray &field(const ChatLogPeer &peer, int column)
{
    switch (column) {
    case ChatLogBrowser::UserColumn:
        return peer.userName;
    case ChatLogBrowser::HostColumn:
        return peer.hostName;
    case ChatLogBrowser::LoginColumn:
        return peer.loginName;
    case ChatLogBrowser::GroupColumn:
        return peer.groupName;
    default:
        return peer.macText;
    }
}

// Bytes compared as unsigned values; a prefix is the smaller.
int compareBytes(const QByteArray &a, const QByteArray &b)
{
    const int r = std::memcmp(a.constData(), b.constData(), size_t(std::min(a.size(), b.size())));
    if (r != 0)
        return r;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

QStringList ChatLogBrowser::ColumnTitles()
{
    return { QStringLiteral("用户名"), QStringLiteral("主机"), QStringLiteral("登录名"), QStringLiteral("组名"),
        QStringLiteral("MAC地址"), QStringLiteral("IP地址") };
}

void ChatLogBrowser::SetIndex(std::shared_ptr<const ChatLogIndex> index, const QString &path)
{
    m_index = std::move(index);
    m_path = path;
    m_rows.clear();
    if (m_index) {
        for (int i = 0; i < m_index->peers().size(); ++i)
            m_rows.push_back(i);
    }
    m_shown.clear();
    m_page = 1;
}

void ChatLogBrowser::Clear()
{
    SetIndex(nullptr, QString());
}

const ChatLogPeer &ChatLogBrowser::rowPeer(int row) const
{
    return m_index->peers()[m_rows[size_t(row)]];
}

QStringList ChatLogBrowser::RowTexts(int row) const
{
    const ChatLogPeer &peer = rowPeer(row);
    return { ChatLogTexts::TrimmedText(peer.userName), ChatLogTexts::TrimmedText(peer.hostName),
        ChatLogTexts::TrimmedText(peer.loginName), ChatLogTexts::TrimmedText(peer.groupName),
        ChatLogTexts::MacText(peer.macText), DottedAddress(peer.address) };
}

void ChatLogBrowser::OnColumnClick(int column)
{
    if (column < 0 || column >= ColumnCount || !m_index)
        return;
    m_ascending = !m_ascending;
    const QList<ChatLogPeer> &peers = m_index->peers();
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](int a, int b) {
        const ChatLogPeer &x = peers[a];
        const ChatLogPeer &y = peers[b];
        int r = 0;
        if (column == AddressColumn)
            r = x.address < y.address ? -1 : (x.address > y.address ? 1 : 0);
        else
            r = compareBytes(field(x, column), field(y, column));
        return m_ascending ? r < 0 : r > 0;
    });
}

void ChatLogBrowser::ChooseRows(QList<int> rows)
{
    m_shown.clear();
    m_page = 0;
    if (!m_index)
        return;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // One pass over the records per chosen row keeps each row's records
    // together and in file order.
    std::vector<int> order(m_index->peers().size(), -1);
    int position = 0;
    for (const int row : std::as_const(rows)) {
        if (row >= 0 && row < rowCount())
            order[size_t(m_rows[size_t(row)])] = position++;
    }
    std::vector<std::vector<qint32>> byRow(static_cast<size_t>(position));
    m_index->forEachRecordPeer([&](qsizetype i, qint32 peer) {
        const int at = order[size_t(peer)];
        if (at >= 0)
            byRow[size_t(at)].push_back(qint32(i));
    });
    for (const std::vector<qint32> &records : byRow)
        m_shown.insert(m_shown.end(), records.begin(), records.end());
    SetPage(0);
}

void ChatLogBrowser::ShowSingleRecord(qint32 record)
{
    m_shown.assign(1, record);
    SetPage(1);
}

int ChatLogBrowser::pageCount() const
{
    return std::max<int>(1, int((qsizetype(m_shown.size()) + kPageSize - 1) / kPageSize));
}

void ChatLogBrowser::SetPage(int page)
{
    m_page = (page < 1 || page > pageCount()) ? pageCount() : page;
}

std::vector<qint32> ChatLogBrowser::PageRecords() const
{
    // Pages are counted from the newest record back: the last page holds the
    // newest 20, the first one what is left over.
    const qsizetype total = qsizetype(m_shown.size());
    const qsizetype first = total - qsizetype(pageCount() - m_page + 1) * kPageSize;
    std::vector<qint32> out;
    for (qsizetype i = std::max<qsizetype>(first, 0); i < first + kPageSize && i < total; ++i)
        out.push_back(m_shown[size_t(i)]);
    return out;
}

QString ChatLogBrowser::PageLabel() const
{
    return ChatLogTexts::PageLabel(m_page, pageCount());
}

bool ChatLogBrowser::IsRecordOfChosenPeers(const ChatLogPeer &peer, const QList<int> &rows) const
{
    return IsRecordOf(peer, ChosenPeers(rows));
}

QList<ChatLogPeer> ChatLogBrowser::ChosenPeers(const QList<int> &rows) const
{
    QList<ChatLogPeer> chosen;
    for (const int row : rows) {
        if (row >= 0 && row < rowCount())
            chosen.append(rowPeer(row));
    }
    return chosen;
}

bool ChatLogBrowser::IsRecordOf(const ChatLogPeer &peer, const QList<ChatLogPeer> &chosen)
{
    using T = ChatLogPeer;
    for (const ChatLogPeer &c : chosen) {
        if (T::TrimRight(c.userName) == T::TrimRight(peer.userName) && T::TrimRight(c.hostName) == T::TrimRight(peer.hostName)
            && T::TrimRight(c.loginName) == T::TrimRight(peer.loginName)
            && T::TrimRight(c.groupName) == T::TrimRight(peer.groupName)
            && T::TrimRight(c.macText) == QByteArrayView(peer.macText) && c.address == peer.address)
            return true;
    }
    return false;
}

QList<ChatLogEntry> ChatLogBrowser::ReadRecords(
    const QString &path, const ChatLogIndex &index, const std::vector<qint32> &records)
{
    QList<ChatLogEntry> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const qint32 i : records) {
        if (i < 0 || i >= index.recordCount() || !file.seek(index.recordOffset(i)))
            continue;
        const QByteArray bytes = file.read(index.recordEnd(i) - index.recordOffset(i));
        if (std::optional<ChatLogEntry> entry = ChatLogReader::ParseRecord(bytes))
            out.append(std::move(*entry));
    }
    return out;
}

namespace ChatLogTexts {

QString TrimmedText(const QByteArray &gbk)
{
    return Gbk::decodeField(ChatLogPeer::TrimRight(gbk));
}

QString MacText(const QByteArray &gbk)
{
    return FormatMacForDisplay(TrimmedText(gbk));
}

QString PageLabel(int page, int count)
{
    return QStringLiteral("当前第 %1/%2 页").arg(page).arg(count);
}

QString DeleteAllQuestion()
{
    return QStringLiteral("您是否真的要删除所有日志？");
}

QString DeleteSomeQuestion(int peers)
{
    return QStringLiteral("您是否真的要删除这 %1 个人的日志？").arg(peers);
}

QString NoLogQuestion()
{
    return QStringLiteral("无聊天记录和日志文件!如果您没有设置保存聊天记录和日志文件,请按 是 进行设置。");
}

} // namespace ChatLogTexts

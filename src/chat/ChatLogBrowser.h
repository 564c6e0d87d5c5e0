// What the chat-log viewer shows, without widgets: the peers of the log as
// rows (sorted by a column, one direction flag for all columns), the records
// of the chosen rows page by page (20 a page, counted from the newest one
// back), the rows of a search, and which records a deletion takes. It works
// on an index of the file (ChatLogIndex); record texts are read from the
// file only for the page or the row being shown.
#pragma once

#include "net/ChatLogFormat.h"
#include "net/ChatLogIndex.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class ChatLogBrowser
{
public:
    static constexpr int kPageSize = 20;
    // The columns of the user list: "用户名", "主机", "登录名", "组名", "MAC地址", "IP地址".
    enum Column { UserColumn, HostColumn, LoginColumn, GroupColumn, MacColumn, AddressColumn, ColumnCount };
    static QStringList ColumnTitles();

    ChatLogBrowser() = default;
    // A freshly loaded log: the rows in the order their peers first occur,
    // nothing chosen, the last page.
    void SetIndex(std::shared_ptr<const ChatLogIndex> index, const QString &path);
    const ChatLogIndex *index() const { return m_index.get(); }
    std::shared_ptr<const ChatLogIndex> sharedIndex() const { return m_index; }
    QString path() const { return m_path; }
    void Clear();

    // ---- the user list ----
    int rowCount() const { return int(m_rows.size()); }
    const ChatLogPeer &rowPeer(int row) const;
    // The texts of a row as shown: trailing blanks removed, a MAC text of 12
    // characters as six pairs joined by "-", the address dotted.
    QStringList RowTexts(int row) const;
    // A column click: the direction flag flips (shared by all columns: the
    // first click sorts ascending, the next one, on any column, descending),
    // then the rows are sorted by the column. Names compare by their bytes,
    // addresses as numbers; equal rows keep their order.
    void OnColumnClick(int column);
    // The direction of the last sort (the flag as it stands now).
    bool ascending() const { return m_ascending; }

    // ---- the records shown ----
    // The records of the chosen rows: the rows in ascending order, each
    // row's records in file order; the last page becomes current.
    void ChooseRows(QList<int> rows);
    const std::vector<qint32> &shownRecords() const { return m_shown; }
    // Shows one record alone (a double click in the search results).
    void ShowSingleRecord(qint32 record);

    // ---- pages ----
    int pageCount() const;
    int currentPage() const { return m_page; }
    // A page outside 1..pageCount becomes the last page.
    void SetPage(int page);
    // The record indexes of the current page, oldest first.
    std::vector<qint32> PageRecords() const;
    // "当前第 %d/%d 页"
    QString PageLabel() const;

    // ---- deleting ----
    // Whether a record of the peer belongs to one of the chosen rows: the
    // names equal after trailing blanks are removed from both, the chosen
    // MAC text without trailing blanks equals the record's, and the
    // addresses are equal. Rows outside the list are passed over.
    bool IsRecordOfChosenPeers(const ChatLogPeer &peer, const QList<int> &rows) const;
    // The peers of the rows (rows outside the list are passed over), and the
    // same rule over them: what a rewrite on another thread takes along.
    QList<ChatLogPeer> ChosenPeers(const QList<int> &rows) const;
    static bool IsRecordOf(const ChatLogPeer &peer, const QList<ChatLogPeer> &chosen);

    // ---- reading records back ----
    // The records at the indexes, read from the file; a record that cannot
    // be read any more is left out.
    static QList<ChatLogEntry> ReadRecords(const QString &path, const ChatLogIndex &index,
        const std::vector<qint32> &records);

private:
    std::shared_ptr<const ChatLogIndex> m_index;
    QString m_path;
    std::vector<int> m_rows; // row -> peer
    bool m_ascending = false; // the flag flips before each sort
    std::vector<qint32> m_shown;
    int m_page = 1;
};

// The texts of a peer field as shown.
namespace ChatLogTexts {
QString TrimmedText(const QByteArray &gbk);
// "00-11-22-33-44-55" for a MAC text of exactly 12 characters.
QString MacText(const QByteArray &gbk);
QString PageLabel(int page, int count);
QString DeleteAllQuestion();
QString DeleteSomeQuestion(int peers);
QString NoLogQuestion();
} // namespace ChatLogTexts

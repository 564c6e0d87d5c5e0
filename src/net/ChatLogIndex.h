// Where each record of a chat-log file lies, whose it is and of which day,
// without its text: enough to list the peers of a log of hundreds of
// megabytes and to read any record back by its offset. Built in one pass
// over the file (read a window at a time, so that the file is never held whole),
// under the reading rules of ChatLogReader: every field is checked against
// the end of the file, and the walk stops at the first one that would pass it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// The peer a record belongs to, as the log viewer lists it: the texts as
// read (names of 50 bytes or more and MAC texts of 16 or more read as
// empty), kept as their GBK bytes for the exact comparisons, and the address.
struct ChatLogPeer
{
    QByteArray userName;
    QByteArray hostName;
    QByteArray loginName;
    QByteArray groupName;
    QByteArray macText;
    quint32 address = 0; // IPv4, host order

    bool operator==(const ChatLogPeer &other) const = default;

    // The bytes without trailing blanks (the white space of the C locale),
    // as the viewer compares and shows the names.
    static QByteArrayView TrimRight(QByteArrayView bytes);
};

class ChatLogIndex
{
public:
    // bytesDone of total; called once per window of the file.
    using Progress = std::function<void(qint64 bytesDone, qint64 total)>;

    // The records of the data (a whole file's bytes).
    static ChatLogIndex Build(QByteArrayView data);
    // The records of the file, read in windows of windowBytes; none when it
    // cannot be opened or the walk was cancelled. A large file is walked by
    // several threads (threads 0: by its size and the processors), each from
    // a place where whole records follow each other; the parts are joined
    // where each ended at the next one's start, and the file is walked on
    // alone from where one did not, so the index is always the one walk's.
    static std::optional<ChatLogIndex> BuildFromFile(const QString &path, const Progress &progress = {},
        const std::atomic<bool> *cancel = nullptr, qint64 windowBytes = kDefaultWindow, int threads = 0);

    static constexpr qint64 kDefaultWindow = 1024 * 1024;

    qsizetype recordCount() const { return m_count; }
    // The record's first byte (its tag) and the byte after its text.
    qint64 recordOffset(qsizetype i) const;
    qint64 recordEnd(qsizetype i) const;
    int recordPeer(qsizetype i) const;
    // Calls f(record, peer) for every record in file order.
    template <typename F> void forEachRecordPeer(F f) const
    {
        for (const Run &run : m_runs)
            for (size_t k = 0; k < run.peers.size(); ++k)
                f(run.first + qsizetype(k), run.peers[k]);
    }
    // The day of the date line the record follows (a date line has its own
    // day); invalid before the first date line.
    QDate recordDay(qsizetype i) const;
    bool isDateLine(qsizetype i) const;

    // The distinct peers, in the order they first occur.
    const QList<ChatLogPeer> &peers() const { return m_peerList; }

    qint64 fileSize() const { return m_fileSize; }
    // Where the last complete record ends (0 for a file of 3 bytes or fewer).
    qint64 endOffset() const { return m_endOffset; }
    // Bytes after the last complete record: a cut or damaged record.
    bool truncated() const { return m_endOffset < m_fileSize; }

private:
    friend class ChatLogIndexWalker;
    // Takes the records of the parts walked one after the other (their peers
    // mapped onto one list by their texts).
    void join(std::vector<ChatLogIndex *> parts);

    // The records, in runs that threads walked one after the other (one run
    // when a single walk read the file).
    struct Run
    {
        qsizetype first = 0; // the index of its first record
        std::vector<qint64> offsets;
        std::vector<qint32> peers;
    };
    const Run &runOf(qsizetype i) const;
    Run &lastRun();

    std::vector<Run> m_runs;
    qsizetype m_count = 0;
    // (first record, julian day); a date line starts a run of its own.
    std::vector<std::pair<qint64, qint64>> m_days;
    std::vector<qint64> m_dateLines; // the indexes of the date lines
    QList<ChatLogPeer> m_peerList;
    qint64 m_fileSize = 0;
    qint64 m_endOffset = 0;
};

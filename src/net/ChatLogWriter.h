// The chat log's writer: the GUI thread queues records, a worker thread
// (ChatLogWriterThread) appends them to "kwel/kwel.kwl" under the data base
// folder. Records wait in a pending list until they are handed to the writer,
// at once when write-at-once is on, or by FlushChatLog.
//
// Every record is built in memory and appended with one write. A record cut
// off by a crash is removed from the end of the file before the next append,
// so the records before it stay readable. Shutdown (and the destructor) hands
// over what is pending and waits until it is written.
//
// Every queued record gets a sequence number (1, 2, ...). After each batch
// the worker reports the highest number written to the file and handed to the
// operating system, or passed over for want of room (below); records of a
// failed write wait for the next hand-over and are reported once written. A
// receipt that may only leave once its message is in the file waits for that
// report.
//
// The log never takes the last of its disk: while its file system is down
// to its free-space floor (FreeSpaceFloor) records are passed over, not
// written, and reported as if written, so that their receipts leave as when
// logging is off; writing resumes by itself once there is room.
#pragma once

#include "net/ChatLogFormat.h"
#include "net/FreeSpaceFloor.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QFile;

class ChatLogWriter
{
public:
    using Clock = std::function<QDateTime()>;

    // baseDirectory: the folder that holds the data folder "kwel"
    // (GetDataBaseDirectory() in the program, a temporary folder in tests).
    explicit ChatLogWriter(const QString &baseDirectory);
    ~ChatLogWriter();
    ChatLogWriter(const ChatLogWriter &) = delete;
    ChatLogWriter &operator=(const ChatLogWriter &) = delete;

    static QString ChatLogPathIn(const QString &baseDirectory);
    QString GetChatLogPath() const { return m_path; }

    // The configuration's switch "保存聊天记录和日志": records are queued only
    // while it is on. The program passes a switch that reads the
    // configuration, so a change from any window applies to the next record.
    using LoggingSwitch = std::function<bool()>;
    void SetLoggingSwitch(LoggingSwitch isOn) { m_enabled = std::move(isOn); }
    void SetLoggingEnabled(bool on)
    {
        m_enabled = [on] { return on; };
    }
    bool IsLoggingEnabled() const { return !m_enabled || m_enabled(); }
    // The source of the local time stamped on every record (tests inject one).
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // A message received from the peer: the text is logged under a header
    // line "<user name> HH:MM:SS" with the time it is queued, then the text
    // indented by two spaces, then "\n".
    void LogChatMessage(const ChatLogEntry &entry);
    // The user's own message to the peer: the text is logged as given (the
    // caller passes it with its header).
    void LogSentChatMessage(const ChatLogEntry &entry);

    // Hands every pending record to the writer and starts it.
    void FlushChatLog();
    // On: every queued record goes to the writer at once (switching it on
    // hands over what is pending). Off: records wait for FlushChatLog.
    void SetChatLogWriteAtOnce(bool on);
    bool ChatLogWriteAtOnce() const;
    // True from the moment records are handed over until they are written.
    bool IsChatLogWriterBusy() const;
    // The last records the worker handled were passed over for want of room
    // (none written since): what is queued now is likely passed over too.
    bool IsPassingOver() const;
    // Waits until the writer is idle; false when it is still busy after msecs.
    bool WaitUntilIdle(int msecs);
    // Records queued but not yet handed to the writer.
    qsizetype PendingCount() const;
    // The sequence number of the last record queued (0: none yet).
    quint64 LastQueued() const;
    // Called on the worker thread after each batch with the highest sequence
    // number written (or passed over) up to then (none: nothing is
    // reported). It must not call back into the writer; the call is made
    // under the writer's lock, so a receiver that clears it is never called
    // afterwards.
    using WrittenCallback = std::function<void(quint64 upTo)>;
    void SetWrittenCallback(WrittenCallback callback);
    // Called on the worker thread, under the writer's lock as above, after
    // a batch that passed records over for want of room: the address of
    // each such record's peer, and the floor of the file system.
    using PassedOverCallback = std::function<void(const QList<quint32> &addresses, qint64 floorBytes)>;
    void SetPassedOverCallback(PassedOverCallback callback);
    // How the worker learns the free space (tests give their own); set
    // before the first record.
    void SetFreeSpaceFloor(const FreeSpaceFloor &floor);
    // Marks where the log stands now, for a reader that must not see the
    // records queued after this call: the mark is the last record queued.
    quint64 Mark();
    // The length of the file up to and with the marked record, once it is
    // written; -1 when that is not known (it is not written yet, or the
    // file was rewritten since). Each mark is taken once.
    qint64 TakeMarkEnd(quint64 mark);

    // The log file can be read, or records for it are on their way.
    bool HasLog() const;

    // Hands over everything pending, waits until it is written and stops the
    // worker thread. Records queued later start a new one.
    void Shutdown();

    // Holds the writer while another party rewrites the file: records
    // queued meanwhile wait (also those handed over by FlushChatLog), and the
    // call returns once the worker has written what it already had. False
    // when it is still busy after msecs (the hold is taken all the same).
    // Holds count; each one is given back with Release, after which the
    // writer reads the file anew before it appends, and hands over what waits
    // when write-at-once is on.
    bool Hold(int msecs);
    void Release();
    bool isHeld() const;

private:
    struct Item
    {
        ChatLogEntry entry;
        QDate day;
        quint64 sequence = 0;
    };

    void queue(ChatLogEntry entry, const QDateTime &at);
    void handOverLocked();
    void ChatLogWriterThread();
    // The number of items appended or passed over for want of room (all
    // of them unless a write failed); `passedOver` gets the addresses of
    // the latter, `ends` the file's length after each of them (-1: not
    // known).
    qsizetype writeBatch(const QList<Item> &batch, QList<quint32> &passedOver, QList<qint64> &ends);
    // The item's record, after a date line when it opens a new day.
    QByteArray recordBytes(const Item &item) const;
    bool prepareFile(QFile &file);

    const QString m_path;
    Clock m_clock;
    LoggingSwitch m_enabled;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    QList<Item> m_pending; // not yet handed over
    QList<Item> m_queue; // handed to the worker
    bool m_writeAtOnce = true;
    bool m_busy = false;
    bool m_stopping = false;
    bool m_passingOver = false;
    int m_holds = 0;
    quint64 m_lastQueued = 0;
    quint64 m_lastWritten = 0; // the sequence number of the last record appended
    qint64 m_writtenEnd = -1; // the file's length after it (-1: not known)
    struct MarkEnd
    {
        quint64 mark = 0;
        qint64 end = -1; // -1: not known (yet)
    };
    QList<MarkEnd> m_marks; // taken and not yet given back
    WrittenCallback m_written;
    PassedOverCallback m_passedOver;
    std::thread m_thread;
    std::atomic<bool> m_fileReplaced { false }; // another party rewrote the file

    // Worker thread only.
    QDate m_lastDay;
    qint64 m_knownSize = -1; // the file's length after the last append
    FreeSpaceFloor m_floor;
};

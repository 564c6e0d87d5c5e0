// The long work on the chat log, on a worker thread so that the window
// stays responsive whatever the size of the log: reading the file into an
// index, searching the record texts, removing the records of chosen peers
// (the writer held meanwhile) and gathering a peer's history. One task runs
// at a time; its progress and result come back on the thread that owns the
// object. Before reading, the writer is made to write what it has.
#pragma once

#include "chat/ChatLogFilter.h"
#include "net/ChatLogFormat.h"
#include "net/ChatLogIndex.h"
#include "net/ChatLogRewrite.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

class ChatLogWriter;

class ChatLogTasks : public QObject
{
    Q_OBJECT
public:
    // The writer must outlive the object (null: the log is read as it is).
    explicit ChatLogTasks(ChatLogWriter *writer, QObject *parent = nullptr);
    // A running task is cancelled (a rewrite is finished first) and waited for.
    ~ChatLogTasks() override;

    bool isBusy() const { return m_busy; }

    // Each starts a task; false while another runs.
    // Reads the log into an index (loaded; null when it cannot be opened).
    bool Load(const QString &path);
    // The records whose text holds the text (case-sensitive), in file order.
    bool Search(std::shared_ptr<const ChatLogIndex> index, const QString &path, const QString &text);
    // Removes the records of the peers the predicate names, then reads the
    // log again (removed, then loaded).
    bool Remove(const QString &path, ChatLogRewrite::RemovePredicate remove);
    // The records of the filter's peer and period (historyCollected) that
    // were queued before the call: the later ones are not among them.
    bool CollectHistory(const QString &path, const ChatLogFilter &filter, const QDate &today);

    // How long a task waits for the writer to finish what it writes.
    static constexpr int kWriterWaitMs = 10000;

signals:
    void progress(int percent);
    void loaded(std::shared_ptr<const ChatLogIndex> index);
    void searched(const QList<qint32> &records);
    void removed(const ChatLogRewrite::Result &result);
    void historyCollected(const QList<ChatLogEntry> &entries);

private:
    bool start(std::function<void()> work);
    void report(qint64 done, qint64 total);
    // Runs on the owner's thread after the task's thread ended.
    void deliver(std::function<void()> result);
    std::shared_ptr<const ChatLogIndex> readIndex(const QString &path);

    ChatLogWriter *m_writer;
    std::thread m_thread;
    std::atomic<bool> m_cancel { false };
    bool m_busy = false;
    int m_lastPercent = -1;
};

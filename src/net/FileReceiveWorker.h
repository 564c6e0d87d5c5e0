// Receives one offered file or folder on its own thread: connects to the
// peer, sends the request and writes what arrives, a single file or a folder
// stream, into the save folder. Nothing appears under its final name before
// it is complete: a single file is written under a partial name and renamed
// when complete, a folder is filled under a partial name and renamed when
// the receive ends (what arrived of a failed folder stays, as a partial
// file of it does with receive-all). Every step below the save folder goes
// through an open folder and never follows a link. Reports through queued
// signals carrying value snapshots and never waits for the GUI thread.
#pragma once

#include "net/FileReceiveJob.h"
#include "net/FolderHeader.h"
#include "net/FolderWalk.h"
#include "net/PartialFile.h"
#include "net/ReceiveConnection.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

class FileReceiveWorker : public QThread
{
    Q_OBJECT
public:
    explicit FileReceiveWorker(ReceiveRequest request, QObject *parent = nullptr);
    // Stops the receive and waits for the thread.
    ~FileReceiveWorker() override;

    // Asks the worker to stop: shuts the connection, so that it ends within a
    // fraction of a second. Safe from any thread.
    void cancel();
    // The outcome, once the thread has ended.
    ReceiveResult result() const { return m_result; }

signals:
    // Connected and the request is out.
    void requestSent();
    void progress(const ReceiveProgress &progress);
    void notice(const ReceiveNotice &notice);
    // Always emitted once, as the last signal.
    void receiveFinished(const ReceiveResult &result);

protected:
    void run() override;

private:
    enum class Step {
        More, // data were taken; go on
        Idle, // nothing arrived within one slice
        Stop, // the receive ends (complete or failed)
    };
    // The folder being filled: [0] is the save folder.
    struct Level
    {
        UniqueFd fd;
        QString path;
    };
    // The file being received (the item itself, or a file of the folder).
    struct Item
    {
        QString name;
        quint64 size = 0;
        quint32 attributes = 0;
        quint32 mtime = 0;
        quint64 received = 0; // arrived, in the buffer or written
        quint64 written = 0;
    };

    bool openSaveFolder();
    bool ConnectForReceive();
    bool StartReceive();
    void ReceiveThreadProc();
    Step ReceiveFileData();
    Step ReceiveFolderData();
    bool OpenReceiveFile();
    bool CloseReceivedFile(bool success);

    // Receives into the free end of the buffer.
    Step receiveMore();
    // The same, making room for a whole header first.
    Step fill();
    void consume(qsizetype bytes);
    bool enterFolder(const QString &name);
    bool leaveFolder(const FolderEntryHeader &header);
    // Gives the top folder its name, once.
    void publishFolder();
    bool checkPath(const QString &path, const QString &name);
    int depth() const { return int(m_levels.size()) - 1; }
    // Records the first error; false, for the callers' returns.
    bool fail(ReceiveError error);
    Step stop(ReceiveError error);
    void message(const QString &text, const QString &caption);
    void history(const QString &text);
    // The item could not take its final name: the user is told which one to rename.
    void renameNotice(const QString &finalPath, const QString &heldAs, const QString &name);
    void report(bool force);

    ReceiveRequest m_request;
    std::atomic<bool> m_stop { false };
    ReceiveConnection m_connection { m_stop };
    ReceiveResult m_result;
    ReceiveState m_state = ReceiveState::Failed;
    Item m_item;
    PartialFile m_file;
    PartialFolder m_folder; // the top folder of a folder receive
    std::vector<Level> m_levels;
    // Received bytes not yet taken are m_buffer[m_begin, m_end).
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_bufferSize = 0;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    QElapsedTimer m_clock; // since the request was sent
    qint64 m_lastData = 0;
    qint64 m_lastReport = 0;
};

// Test kit of the file reception: a scripted sender on 127.0.0.1 and a
// receiver fixture that records what the chat window would see.
#pragma once

#include "net/CNetManager.h"
#include "net/FileReceiver.h"
#include "net/FileRequest.h"
#include "net/ReceivePrompts.h"

#include <QByteArray>
#include <QStringList>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Serves every connection with a script: reads the request, hands the
// socket to the script, then half-closes and waits for the receiver to close.
class ScriptedSender
{
public:
    using Script = std::function<void(int fd, const FileRequest &request)>;
    explicit ScriptedSender(Script script);
    ~ScriptedSender();

    quint16 port() const { return m_port; }
    std::vector<FileRequest> requests() const;
    // For scripts: blocks until release() or the end of the sender.
    void hold();
    void release();

private:
    void serve();

    Script m_script;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop { false };
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
    std::vector<FileRequest> m_requests;
    std::thread m_thread;
};

// Sends all bytes; false when the receiver went away.
bool SendAll(int fd, QByteArrayView bytes);
// Deterministic content; seed makes files differ.
QByteArray Pattern(qsizetype size, int seed = 0);
// A folder-stream header, written as the server writes it.
QByteArray Header(const QString &name, quint64 size, quint32 attributes, quint32 mtime = 0x5F5E1000);
// Every path below the folder (relative, sorted); folders end in '/'.
QStringList TreeOf(const QString &folder);

class FakePrompts final : public ReceivePrompts
{
public:
    QList<OverwriteChoice> answers;
    QStringList paths;
    QStringList questions;
    int pathAsked = 0;
    std::function<void()> whileAsking; // what happens while the question is open

    OverwriteChoice askOverwrite(const QString &text) override
    {
        questions << text;
        if (whileAsking)
            whileAsking();
        return answers.isEmpty() ? OverwriteChoice::Cancel : answers.takeFirst();
    }
    QString chooseSavePath(const QString &) override
    {
        ++pathAsked;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
};

class Receiving : public ::testing::Test
{
protected:
    static constexpr quint32 kTime = 0x5F5E1000; // 2020-09-13
    static constexpr quint32 kPacket = 0x55;

    void SetUp() override;
    // A job for the item: saved as save/name, offered by the sender.
    FileReceiveJob job(const ScriptedSender &from, const QString &name, quint64 size, quint32 id,
        quint32 attributes = FILE_ATTR_REGULAR) const;
    // Runs the event loop until n batches have ended in total.
    bool waitBatches(int n, int timeoutMs = 60000);

    QString base; // holds the save folder and nothing else
    QString save;
    FileReceiveLimits limits;
    CNetManager net;
    FakePrompts prompts;
    std::unique_ptr<FileReceiver> receiver;
    QStringList lines; // history lines
    QStringList boxes; // message boxes: "caption|text"
    std::vector<FileReceiveJob> done; // every finished job
    int batches = 0;
};

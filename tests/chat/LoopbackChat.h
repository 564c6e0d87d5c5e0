// Two or more copies of the program on loopback for the chat tests: each with
// its messenger engine, keys, chat log and chat sessions, routing what the
// engine reports to the sessions and their windows the way the program does.
#pragma once

#include "chat/CChatDlg.h"
#include "chat/session/ChatSessions.h"
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/ChatLogFormat.h"
#include "net/ChatLogWriter.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"

#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class IncomingPictures;

namespace ChatTest {

inline QString u(const char *s) { return QString::fromUtf8(s); }

// Runs the event loop until done() or the time is up; the last done().
bool waitFor(const std::function<bool()> &done, int ms = 5000);

// One copy of the program. Its sessions make chat windows, unless the test
// gives them another view factory.
struct Side
{
    explicit Side(const QString &name);
    ~Side();

    // Both copies know each other; the window of the other side (hidden).
    void meet(Side &other);
    HostRecord *peerOf(const Side &other) const;
    ChatSession *session() const { return window ? window->session() : nullptr; }
    QString historyText() const;
    // Receives pictures and acknowledges their chunks as the program does.
    void TakePictures();
    // What this copy's chat sessions use of it.
    ChatServices services() const;
    QStringList eventsOf(const QString &kind) const;
    // The records of the chat log (date lines left out).
    QList<ChatLogEntry> logged();

    QString dir;
    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<KeyExchange> keys;
    std::unique_ptr<ChatLogWriter> log;
    std::unique_ptr<ChatSessions> sessions;
    std::unique_ptr<IncomingPictures> pictures;
    QList<QPointer<CChatDlg>> windows;
    QPointer<CChatDlg> window;
    QStringList events;
    QList<PacketRecord> received;
    QList<quint32> dispatched;
    int shown = 0;
};

} // namespace ChatTest

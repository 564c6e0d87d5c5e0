// The multi-user send ("与多人聊天中") without any window: the peers that can
// be chosen (the host table, followed as peers come and go), the files and
// folders to send, the send options, and the send itself. One or two chosen
// peers get the message through their own chat sessions, shown and logged
// there as if typed in their windows; three or more get it from one sender
// that retries and encrypts per peer. The multi-user window is a view bound
// to it; the program keeps it, so a send goes on whether the window shows or
// not.
#pragma once

#include "chat/session/ChatSession.h"
#include "chat/session/FilePanelModel.h"
#include "chat/session/MultiSendPlan.h"

#include <QObject>
#include <QPointer>

class ChatSessions;
class CMsgSenderWnd;

class MultiSendSession : public QObject
{
    Q_OBJECT
public:
    // The sessions give the one or two peers' conversations; services the
    // engine (required), keys, chat log and configuration.
    MultiSendSession(ChatSessions &sessions, const ChatServices &services, QObject *parent = nullptr);
    ~MultiSendSession() override;

    MessengerEngine *engine() const { return m_services.engine; }
    CConfig *config() const { return m_config; }
    // "<base>/kwel": the face folders.
    QString dataFolder() const { return m_services.dataFolder; }

    // ---- the peers ----
    // Every peer of the host table, in table order.
    QList<HostRecord *> members() const;

    // ---- the files and folders ----
    const FilePanelModel &files() const { return m_files; }
    // Paths that exist and are not listed yet become ticked rows; returns
    // how many were added.
    int AddAttachments(const QStringList &paths);
    bool SetAttachmentChecked(int row, bool checked);
    int RemoveCheckedAttachments();

    // ---- options ----
    // "对方打开信息时进行通知(需要回执)": not stored.
    bool requestsReadNotice() const { return m_requestReadNotice; }
    void SetRequestReadNotice(bool on) { m_requestReadNotice = on; }

    // ---- sending ----
    struct Outcome
    {
        MultiSendPlan::Route route = MultiSendPlan::Route::Nothing;
        bool sent = false; // at least one peer got it
        int plainPeersWithoutPictures = 0; // for the warning after the send
    };
    // Sends the message with the ticked files to the chosen peers. A send
    // refused (busy, too long, files that cannot be offered) says why in a
    // message box and keeps the files; a sent one lets the ticked files go.
    Outcome Send(const OutgoingMessage &message, const QList<HostRecord *> &recipients);
    // A sender for three or more peers still waits for receipts.
    bool hasPendingSend() const;

    // The window message boxes belong to (null: none).
    void setPromptOwner(QObject *owner) { m_owner = owner; }

signals:
    void memberAdded(HostRecord *host);
    void memberChanged(HostRecord *host);
    // Emitted while the record is still valid.
    void memberRemoved(HostRecord *host);
    void attachmentsChanged();
    // "MULTISENT <peers> <packet> <text>" and "MULTIFAILED <names>", for the
    // program's event log.
    void event(const QString &line);

private:
    bool sendThroughSessions(const OutgoingMessage &message, const MultiSendPlan &plan,
        const QList<HostRecord *> &recipients, const QStringList &files, int fileCount, int folderCount);
    bool sendThroughSender(const OutgoingMessage &message, const MultiSendPlan &plan,
        const QList<HostRecord *> &recipients, const QStringList &files);
    void refuse(const QString &text, const QString &caption);

    ChatSessions &m_sessions;
    ChatServices m_services;
    CConfig *m_config = nullptr;
    FilePanelModel m_files;
    bool m_requestReadNotice = false;
    QList<QPointer<CMsgSenderWnd>> m_senders;
    QPointer<QObject> m_owner;
};

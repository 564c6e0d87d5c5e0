// The shared files of one conversation: asking the peer for its list (button
// 1031 "共享文件"), the password it may ask for, the download request made
// from its list, and serving the peer's own download request as an offer.
// The requests are resent by the session's timers 0x114 and 0x115 until the
// peer answers; only an answer to a request of ours is taken.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

class ChatSession;
class HostRecord;

class ChatShares : public QObject
{
    Q_OBJECT
public:
    explicit ChatShares(ChatSession &session);

    // Button 1031: a plain peer is offered the program instead; otherwise,
    // unless a request waits, CMD_GET_SHARE_LIST goes out. True when sent.
    bool OnSharesButton();
    bool waiting() const;

    // What a CMD_SHARE_LIST answer of the peer asks for.
    enum class Answer {
        Ignored, // no request of ours waits for it
        NeedPassword, // the password prompt is to run
        WrongPassword, // said in the history
        List, // the browser is to show the list
    };
    Answer TakeAnswer(const QString &body);
    // The typed password, scrambled and cut to its field, is kept and sent
    // with CMD_GET_SHARE_LIST_PASSWORD. A password with a character GBK
    // cannot carry is not sent (the peer would get '?' for it): false, and
    // the history says so.
    bool SendPassword(const QString &typed);
    // The scrambled password the browser puts in front of its request
    // (empty when none was asked for).
    QByteArray password() const { return m_password; }
    // CMD_SHARE_DOWNLOAD with the browser's request text; false when empty.
    bool SendDownloadRequest(const QByteArray &request);

    // The peer's granted download request: the paths go to it as a message
    // with an empty text and the automatic-send option. False when nothing
    // was sent: then no box opens (the peer asked, not the user); the
    // refusal is counted and said in the history, at most once in
    // PeerBounds::kServeNoticeIntervalMs.
    bool ServeShareDownload(const QStringList &paths);
    static QString ServeRefusedText(const QString &why);

    // "用户名:%s(主机:%s)IP地址:%s" of the peer (its name as the user knows
    // it, its host and its address), and the browser's caption.
    QString PeerTitle() const;
    static QString PeerTitle(const HostRecord &peer);
    QString BrowseCaption() const { return QStringLiteral("文件共享--来自 ") + PeerTitle(); }

    static QString WrongPasswordText() { return QStringLiteral("您查看对方共享文件时，输入的密码不正确！"); }
    static QString UnsendablePasswordText() { return QStringLiteral("密码中有对方无法接收的字符，没有发出。"); }

private:
    int retryPeriod() const;

    ChatSession &m_session;
    QByteArray m_password;
    QElapsedTimer m_lastRefusalNotice;
};

// The timers of a chat window without widgets: requests sent over UDP are
// sent again a bounded number of times and then given up with a line in the
// history; the same timers end the typing notice, refresh the title, the
// side pane and the pictures in flight. ChatTimers keeps the timers against
// an injectable clock and asks the window (ChatTimerHost) for everything
// else; ChatTimerDriver runs it from the event loop.
//
// The chat session owns the timers and is their host: typing notices restart
// TypingEnd, pictures in flight PictureChunks, placeholders that wait for
// their picture PicturePlaceholders; a receipt goes to OnSendConfirmed.
// Messages are resent by their own senders (CMsgSenderWnd), one per message,
// so that a later message never cuts off the resends of an earlier one.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

class HostRecord;

// The timer ids of the chat window (the WM_TIMER ids of the Windows program).
namespace ChatTimerId {
enum : int {
    MessageSend = 0x102, // each message's sender (CMsgSenderWnd) runs its own resends
    RawResend = 0x108, // send the kept raw packet again
    Activity = 0x112, // the activity indicator
    Assistance = 0x113, // remote-assistance invitation
    ShareList = 0x114, // request of the peer's shared files
    SharePassword = 0x115, // the share password
    SidePane = 0x117, // first-show work and the side pane
    TypingEnd = 0x118, // end of the typing or drawing state
    Voice = 0x119, // voice invitation
    PictureChunks = 0x120, // resend picture chunks
    PicturePlaceholders = 0x122, // pictures still arriving
    Probe = 0x125, // CMD_CHAT_PROBE to the peer
    Title = 0x126, // the window title
};
} // namespace ChatTimerId

// What the timers need of their window. Everything has a default that does
// nothing, so a window implements what it has.
class ChatTimerHost
{
public:
    virtual ~ChatTimerHost() = default;

    // The peer; null while the window is not bound to one.
    virtual const HostRecord *peer() const { return nullptr; }
    virtual bool isHidden() const { return false; }
    // Sends a command with a body to the peer.
    virtual void sendToPeer(quint32 command, const QByteArray &body)
    {
        Q_UNUSED(command)
        Q_UNUSED(body)
    }
    // Sends an already built packet to the peer's address and port.
    virtual void sendRaw(const QByteArray &packet) { Q_UNUSED(packet) }
    // A program line for the history, kept as the window's last notice.
    virtual void notice(const QString &text) { Q_UNUSED(text) }
    virtual void bringToFront() { }

    // The hidden window's send was confirmed: the main window may dispose of it.
    virtual void sendDone() { }

    // The application's request states (shared by every chat window).
    virtual int assistanceState() const { return 0; }
    virtual void clearAssistanceState() { }
    virtual int voiceState() const { return 0; }
    virtual void clearVoiceState() { }

    // Sets the title from the peer's details: "与 nick(host) 聊天中 (IP:...)".
    virtual void refreshTitle() { }
    virtual void typingEnded() { }
    // "CloseDialogDeleteRes": the window is freed when it closes.
    virtual bool freesOnClose() const { return true; }
    virtual void navigateSidePane() { }
    // One pass over the pictures in flight / the placeholders; true while
    // some are left.
    virtual bool resendPictureChunks() { return false; }
    virtual bool retryPicturePlaceholders() { return false; }
    virtual void activityTick() { }
};

class ChatTimers
{
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back

    // clock: empty uses a monotonic clock.
    explicit ChatTimers(ChatTimerHost &host, Clock clock = {});

    // "RETRYMAX_STR".
    void setRetryMax(int retryMax) { m_retryMax = retryMax; }
    int retryMax() const { return m_retryMax; }
    // The peers whose side page was shown once (shared by the windows).
    void setSidePaneShown(QSet<QString> *shown) { m_sidePaneShown = shown; }
    // Called whenever the next due time may have changed.
    void setScheduleChanged(std::function<void()> changed) { m_scheduleChanged = std::move(changed); }

    // Starts (or restarts) a timer; the request timers start counting from 0.
    void start(int id, int periodMs);
    void kill(int id);
    bool isRunning(int id) const { return m_timers.contains(id); }
    int period(int id) const;
    int retryCount(int id) const { return m_counters.value(id); }
    // The time of the clock.
    qint64 now() const;
    // When the earliest timer is due; none when nothing runs.
    std::optional<qint64> nextDue() const;
    // Runs every timer that is due, each once (ticks that were missed are
    // not made up); returns how many ran.
    int poll();
    // One tick of the timer, as the window's timer handler.
    void tick(int id);

    // The raw packet sent again by RawResend until the packet number is confirmed.
    void startRawResend(const QByteArray &packet, quint32 awaitedPacket, int periodMs);
    // A receipt from address:port for the packet number: stops the raw
    // resend when it is the peer's answer to the awaited packet. True on a match.
    bool OnSendConfirmed(quint32 address, quint16 port, quint32 packetNumber);
    // A request to the peer's shared files: CMD_GET_SHARE_LIST, or
    // CMD_GET_SHARE_LIST_PASSWORD with the password text.
    void startShareRequest(quint32 command, const QByteArray &password, int periodMs);
    quint32 shareRequest() const { return m_shareRequest; }
    // The peer answered: the request stops waiting and its timers end.
    void endShareRequest();

private:
    struct Timer
    {
        int period = 0;
        qint64 due = 0;
    };

    void changed();
    // Post-increments the timer's counter and compares it with the limit.
    bool nextRetry(int id, int limit);
    void giveUp(int id, const QString &format);
    void tickRawResend();
    void tickRequest(int id, bool pending, quint32 command, const QByteArray &body, const QString &giveUpFormat,
        const std::function<void()> &clearState);
    void tickSidePane();

    ChatTimerHost &m_host;
    Clock m_clock;
    QHash<int, Timer> m_timers;
    QHash<int, int> m_counters;
    int m_retryMax = 3;
    QByteArray m_rawPacket;
    quint32 m_awaitedPacket = 0;
    quint32 m_shareRequest = 0; // 0, CMD_GET_SHARE_LIST or CMD_GET_SHARE_LIST_PASSWORD
    QByteArray m_sharePassword;
    bool m_firstRefresh = true;
    QSet<QString> *m_sidePaneShown = nullptr;
    std::function<void()> m_scheduleChanged;
};

// Runs the timers from the event loop: one single-shot QTimer armed for the
// next due time.
class ChatTimerDriver : public QObject
{
    Q_OBJECT
public:
    explicit ChatTimerDriver(ChatTimers &timers, QObject *parent = nullptr);
    ~ChatTimerDriver() override;
    // Arms the timer for the next due time (called by the timers themselves).
    void rearm();

private:
    ChatTimers &m_timers;
    QTimer m_timer;
};

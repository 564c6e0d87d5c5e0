#include "chat/session/ChatTimers.h"
#include "net/Commands.h"
#include "net/HostRecord.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

namespace {

namespace T = ChatTimerId;

class FakeWindow final : public ChatTimerHost
{
public:
    FakeWindow()
    {
        record.key = HostKey(QStringLiteral("li"), QStringLiteral("pc7"), 0xC0A80107, 2425);
        record.nickName = QStringLiteral("小李");
        record.displayName = QStringLiteral("李工");
        record.groupName = QStringLiteral("测试组");
    }
    const HostRecord *peer() const override { return bound ? &record : nullptr; }
    bool isHidden() const override { return hidden; }
    void sendToPeer(quint32 command, const QByteArray &body) override { sent << std::make_pair(command, body); }
    void sendRaw(const QByteArray &packet) override { raw << packet; }
    void notice(const QString &text) override { notices << text; }
    void bringToFront() override { ++fronts; }
    void sendDone() override { ++done; }
    int assistanceState() const override { return assistance; }
    void clearAssistanceState() override { assistance = 0; }
    void refreshTitle() override { ++titles; }
    void typingEnded() override { ++typingEnds; }

    HostRecord record;
    bool bound = true;
    bool hidden = false;
    QList<std::pair<quint32, QByteArray>> sent;
    QList<QByteArray> raw;
    QStringList notices;
    int assistance = 0;
    int fronts = 0, done = 0, typingEnds = 0, titles = 0;
};

struct Fixture
{
    FakeWindow window;
    qint64 clock = 1000;
    ChatTimers timers { window, [this] { return clock; } };

    // Moves the clock on by ms and runs what is due.
    int advance(qint64 ms)
    {
        clock += ms;
        return timers.poll();
    }
};

} // namespace

TEST(ChatTimers, MissedTicksAreNotMadeUp)
{
    Fixture f;
    // A clock that jumped ahead runs a timer once, not once per lost period.
    f.timers.startShareRequest(CMD_GET_SHARE_LIST, {}, 1500);
    EXPECT_EQ(f.advance(1499), 0);
    EXPECT_EQ(f.advance(60000), 1);
    EXPECT_EQ(f.window.sent.size(), 1);
    EXPECT_EQ(f.timers.nextDue(), f.clock + 1500);
}

TEST(ChatTimers, RawResendStopsOnThePeersReceiptOnly)
{
    Fixture f;
    f.timers.startRawResend("raw packet", 77, 1500);
    for (int i = 0; i < 10; ++i)
        f.advance(1500);
    EXPECT_EQ(f.window.raw.size(), 6); // twice RETRYMAX_STR
    EXPECT_FALSE(f.timers.isRunning(T::RawResend));

    f.timers.startRawResend("again", 78, 1500);
    f.advance(1500);
    const quint32 peer = f.window.record.key.address;
    EXPECT_FALSE(f.timers.OnSendConfirmed(peer, 2425, 77)); // another packet
    EXPECT_FALSE(f.timers.OnSendConfirmed(peer + 1, 2425, 78)); // another host
    EXPECT_FALSE(f.timers.OnSendConfirmed(peer, 2426, 78));
    EXPECT_TRUE(f.timers.isRunning(T::RawResend));
    f.window.hidden = true;
    EXPECT_TRUE(f.timers.OnSendConfirmed(peer, 2425, 78));
    EXPECT_FALSE(f.timers.isRunning(T::RawResend));
    EXPECT_EQ(f.window.done, 1); // a hidden window may now be disposed of
}

TEST(ChatTimers, RequestsAreResentWhilePendingAndGivenUpOnce)
{
    Fixture f;
    f.window.assistance = int(CMD_ASSIST_REQUEST);
    f.timers.start(T::Assistance, 1000);
    for (int i = 0; i < 5; ++i)
        f.advance(1000);
    EXPECT_EQ(f.window.sent.size(), 4);
    EXPECT_EQ(f.window.sent[0].first, CMD_ASSIST_REQUEST);
    EXPECT_EQ(f.window.assistance, 0);
    EXPECT_EQ(
        f.window.notices, QStringList(QStringLiteral("给用户 李工(测试组/pc7) 发送远程协助失败！可能用户已下线,或网络原因!")));
    EXPECT_FALSE(f.timers.isRunning(T::Assistance));

    // Answered meanwhile: the timer stops silently.
    f.window.assistance = int(CMD_ASSIST_REQUEST);
    f.timers.start(T::Assistance, 1000);
    f.advance(1000);
    f.window.assistance = 0;
    f.advance(1000);
    EXPECT_FALSE(f.timers.isRunning(T::Assistance));
    EXPECT_EQ(f.window.notices.size(), 1);

    // The share password goes again with its text; giving up clears the request.
    f.window.sent.clear();
    f.timers.setRetryMax(1);
    f.timers.startShareRequest(CMD_GET_SHARE_LIST_PASSWORD, "secret", 1000);
    for (int i = 0; i < 3; ++i)
        f.advance(1000);
    ASSERT_EQ(f.window.sent.size(), 2);
    EXPECT_EQ(f.window.sent[1], std::make_pair(CMD_GET_SHARE_LIST_PASSWORD, QByteArray("secret")));
    EXPECT_EQ(f.timers.shareRequest(), 0u);
    EXPECT_EQ(f.window.notices.last(), QStringLiteral("给用户 李工(测试组/pc7) 发送文件共享密码失败！可能用户已下线,或网络原因!"));
    // Voice was never asked for: its timer just stops.
    f.timers.start(T::Voice, 1000);
    f.advance(1000);
    EXPECT_FALSE(f.timers.isRunning(T::Voice));
    EXPECT_EQ(f.window.sent.size(), 2);
}

TEST(ChatTimers, TypingEndTitleAndProbe)
{
    Fixture f;
    f.timers.start(T::TypingEnd, 5000);
    f.advance(3000);
    f.timers.start(T::TypingEnd, 5000); // more typing restarts it
    f.advance(3000);
    EXPECT_TRUE(f.window.sent.isEmpty());
    f.advance(2000);
    f.advance(5000);
    ASSERT_EQ(f.window.sent.size(), 1); // once per burst
    EXPECT_EQ(f.window.sent[0].first, CMD_TYPING_STOPPED);
    EXPECT_EQ(f.window.typingEnds, 1);

    f.timers.start(T::Probe, 10000);
    f.advance(10000);
    EXPECT_EQ(f.window.sent.last().first, CMD_CHAT_PROBE);
    EXPECT_FALSE(f.timers.isRunning(T::Probe)) << "one probe per window";
    EXPECT_EQ(f.timers.period(T::Title), 2000);
    f.advance(2000);
    EXPECT_EQ(f.window.titles, 1);
    EXPECT_FALSE(f.timers.isRunning(T::Title));

    // Not bound to a peer: nothing goes out.
    f.window.bound = false;
    f.window.sent.clear();
    f.timers.start(T::TypingEnd, 10);
    f.advance(2000);
    EXPECT_TRUE(f.window.sent.isEmpty());
    EXPECT_EQ(f.window.titles, 1);
}

TEST(ChatTimers, DriverRunsTheTimersFromTheEventLoop)
{
    FakeWindow window;
    ChatTimers timers(window);
    ChatTimerDriver driver(timers);
    timers.startShareRequest(CMD_GET_SHARE_LIST, {}, 20);
    QDeadlineTimer deadline(5000);
    while (!window.notices.size() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window.sent.size(), 4); // counter values 0..3, then the give-up
    EXPECT_EQ(window.notices.size(), 1);
    EXPECT_FALSE(timers.nextDue());
}

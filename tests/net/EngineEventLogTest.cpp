#include "net/EngineEventLog.h"
#include "TestEnv.h"
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineEventLog, EscapesEverythingThatCouldEndOrForgeALine)
{
    EXPECT_EQ(EngineEventLog::EscapeLine(QStringLiteral("MESSAGE 10.0.0.5 7 你好 plain")),
        QStringLiteral("MESSAGE 10.0.0.5 7 你好 plain"));
    EXPECT_EQ(EngineEventLog::EscapeLine(QStringLiteral("a\nb\r\tc\\d")), QStringLiteral("a\\nb\\r\\tc\\\\d"));
    EXPECT_EQ(EngineEventLog::EscapeLine(QString::fromUtf16(u"\x01\x1b\x7f\x85\u2028\u2029\u00a0")),
        QString::fromUtf16(u"\\x01\\x1b\\x7f\\x85\\u2028\\u2029\u00a0"));
    // A backslash of the text stays apart from an escape.
    EXPECT_EQ(EngineEventLog::EscapeLine(QStringLiteral("\\n")), QStringLiteral("\\\\n"));
}

// A peer's name and message with line breaks give one line each; the file
// server's lines carry what it still holds.
TEST(EngineEventLog, PeerTextStaysOnItsLineAndServedConnectionsAreCounted)
{
    CConfig config(TestEnv::freshDir(QStringLiteral("eventlog")) + QStringLiteral("/kwel.ini"));
    CNetManager net;
    MessengerEngine engine(config, net);
    QStringList lines;
    EngineEventLog log(engine, [&](const QString &line) { lines << line; });

    OwnHeader peer;
    peer.userName = QStringLiteral("eve");
    peer.hostName = QStringLiteral("eve-pc");
    engine.HandleDatagram(PacketCodec::BuildTextPacket(
                              peer, 1, CMD_ANNOUNCE_ENTRY, QStringLiteral("eve\nREMOVED 10.0.0.9 2425"), QString()),
        0x0A000005, 2425);
    engine.HandleDatagram(
        PacketCodec::BuildPacket(peer, 2, CMD_SEND_MESSAGE, QByteArrayLiteral("hi\nREAD 10.0.0.9 1\x1b[2J")),
        0x0A000005, 2425);
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0].toStdString(), "ADDED 10.0.0.5 2425 1 eve\\nREMOVED 10.0.0.9 2425");
    EXPECT_EQ(lines[1].toStdString(), "MESSAGE 10.0.0.5 2 hi\\nREAD 10.0.0.9 1\\x1b[2J");

    // The file server's endings and refusals, each with the connections it
    // still holds: what the load tests count the caps by.
    lines.clear();
    TransferState state;
    state.address = 0x0A000005;
    for (const ServeStatus status : { ServeStatus::Refused, ServeStatus::RequestTimeout, ServeStatus::Done }) {
        state.status = status;
        emit engine.fileServer().transferFinished(state);
    }
    EXPECT_EQ(lines, QStringList({ QStringLiteral("SERVED 10.0.0.5 refused open 0"),
                         QStringLiteral("SERVED 10.0.0.5 timeout open 0"), QStringLiteral("SERVED 10.0.0.5 done open 0") }));
}

} // namespace

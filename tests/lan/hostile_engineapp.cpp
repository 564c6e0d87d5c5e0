#include "hostile_engineapp.h"

#include "hostile.h"
#include "net/ChatLogReader.h"
#include "net/Commands.h"

#include <QElapsedTimer>
#include <QSet>

bool RunLogAttack(const QStringList &words, quint32 target, quint16 port,
    const std::function<void(const QString &)> &report)
{
    if (words.size() == 2 && words[0] == QLatin1String("logread")) {
        // What a program killed at any moment left: the complete records
        // (a cut one at the end is not read).
        const auto log = ChatLogReader::ReadFile(words[1]);
        if (!log)
            return false;
        for (const ChatLogEntry &record : log->records)
            report(QStringLiteral("LOGGED ") + QString(record.text).replace(QLatin1Char('\n'), QLatin1Char('|')));
        report(QStringLiteral("LOGREAD records %1").arg(log->records.size()));
        return true;
    }
    if (words.size() < 4 || words[0] != QLatin1String("logflood"))
        return false;
    const QString round = words[1];
    const int count = qBound(1, words[2].toInt(), 100000);
    const int rate = qBound(1, words[3].toInt(), 10000);
    RawPeer peer(target, port, QStringLiteral("flood") + round);
    if (!peer.isOpen())
        return false;
    peer.announce();
    // RawPeer numbers its packets one up from 5000000; the entry took the first.
    constexpr quint32 kFirstNumber = 5000002;
    QSet<quint32> confirmed;
    auto gather = [&] {
        for (const PacketRecord &p : peer.answers()) {
            if (p.command() != CMD_MESSAGE_RECEIVED)
                continue;
            const quint32 number = p.bodyText().toUInt();
            if (number >= kFirstNumber && number < kFirstNumber + quint32(count) && !confirmed.contains(number)) {
                confirmed.insert(number);
                report(QStringLiteral("RECEIPTED r%1-%2").arg(round).arg(number));
            }
        }
        peer.reset();
    };
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    for (int i = 0; i < count; ++i) {
        const QString text = QStringLiteral("r%1-%2").arg(round).arg(kFirstNumber + quint32(i));
        sent += peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, text.toLatin1()) > 0;
        const qint64 due = qint64(i + 1) * 1000 / rate;
        peer.collect(int(qMax<qint64>(0, due - clock.elapsed())));
        gather();
    }
    peer.collect(2000);
    gather();
    report(QStringLiteral("LOGFLOOD round %1 sent %2 receipts %3").arg(round).arg(sent).arg(confirmed.size()));
    return true;
}

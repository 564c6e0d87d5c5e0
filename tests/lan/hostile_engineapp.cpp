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
    const int bytes = words.size() > 4 ? qBound(0, words[4].toInt(), 4000) : 0;
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
    auto text = [&](quint32 number) {
        QByteArray t = QStringLiteral("r%1-%2 ").arg(round).arg(number).toLatin1();
        return bytes > t.size() ? t + QByteArray(bytes - t.size(), 'x') : t.trimmed();
    };
    // Sends the messages of these numbers at the rate.
    int sent = 0;
    auto flood = [&](const QList<quint32> &numbers) {
        QElapsedTimer clock;
        clock.start();
        for (qsizetype i = 0; i < numbers.size(); ++i) {
            peer.setNumber(numbers[i] - 1);
            sent += peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, text(numbers[i])) > 0;
            const qint64 due = qint64(i + 1) * 1000 / rate;
            peer.collect(int(qMax<qint64>(0, due - clock.elapsed())));
            gather();
        }
        peer.collect(2000);
        gather();
    };
    QList<quint32> numbers;
    for (int i = 0; i < count; ++i)
        numbers.append(kFirstNumber + quint32(i));
    flood(numbers);
    // With a size, as a real peer does: what got no receipt is sent again,
    // while the receipts come.
    for (int tries = 0; bytes > 0 && tries < 10; ++tries) {
        QList<quint32> open;
        for (const quint32 number : std::as_const(numbers))
            if (!confirmed.contains(number))
                open.append(number);
        if (open.isEmpty() || open.size() == numbers.size())
            break;
        numbers = open;
        flood(numbers);
    }
    report(QStringLiteral("LOGFLOOD round %1 sent %2 receipts %3").arg(round).arg(sent).arg(confirmed.size()));
    return true;
}

#include "hostile_strangers.h"

#include "hostile.h"
#include "net/Commands.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <memory>
#include <vector>

std::optional<bool> RunStrangerAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    if (words.isEmpty() || words[0] != QLatin1String("strangers"))
        return std::nullopt;
    if (words.size() < 4)
        return false;
    const int count = qBound(1, words[1].toInt(), 1000);
    const int pace = qBound(1, words[2].toInt(), 60000);
    QList<quint32> from;
    for (const QString &word : words.mid(3))
        from.append(QHostAddress(word).toIPv4Address());
    // Every identity keeps its socket, so that the next one has a port of its own.
    std::vector<std::unique_ptr<RawPeer>> identities;
    QElapsedTimer clock;
    clock.start();
    int receipted = 0;
    for (int i = 0; i < count; ++i) {
        auto peer = std::make_unique<RawPeer>(target, port, QStringLiteral("stranger%1").arg(i), from[i % from.size()]);
        if (!peer->isOpen())
            return false;
        peer->announce();
        peer->send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, QByteArrayLiteral("hello"));
        const quint32 number = peer->lastNumber();
        peer->collect(int(qMax<qint64>(50, qint64(i + 1) * pace - clock.elapsed())));
        for (const PacketRecord &answer : peer->answers())
            receipted += answer.command() == CMD_MESSAGE_RECEIVED && answer.body.toUInt() == number;
        identities.push_back(std::move(peer));
    }
    report(QStringLiteral("STRANGERS sent %1 receipted %2").arg(count).arg(receipted));
    return true;
}

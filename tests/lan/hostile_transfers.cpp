#include "hostile_transfers.h"

#include "hostile.h"
#include "net/Commands.h"
#include "net/FileList.h"
#include "net/PacketCodec.h"
#include "net/ShareList.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSet>
#include <algorithm>

namespace {

constexpr int kQuietMs = 3000; // no offer for this long after the last request: done
constexpr int kLongestWaitMs = 60000;

struct Offers
{
    QSet<quint32> numbers;
    qint64 entries = 0;
    qint64 lastMs = 0;
};

// Takes the offer messages that came back; confirms them when asked to.
void takeOffers(RawPeer &peer, bool confirm, const QElapsedTimer &clock, Offers &offers)
{
    for (const PacketRecord &p : peer.answers()) {
        if (p.command() != CMD_SEND_MESSAGE || !p.hasOption(OPT_FILE_ATTACH))
            continue;
        if (confirm)
            peer.send(CMD_MESSAGE_RECEIVED, QByteArray::number(p.packetNumber));
        if (offers.numbers.contains(p.packetNumber))
            continue;
        offers.numbers.insert(p.packetNumber);
        DecodedFileList files;
        DecodeFileList(p.extension, files);
        offers.entries += qint64(files.size());
        offers.lastMs = clock.elapsed();
    }
    peer.reset();
}

// A message offering `files` files, as a peer's file list carries them.
QByteArray offerList(int message, int files)
{
    static const char *const kinds[] = { "txt", "doc", "pdf", "jpg", "png", "zip", "rar", "exe", "mp3", "xls" };
    QByteArray list;
    for (int j = 0; j < files; ++j) {
        // Every fifth file has a suffix no other has (a type the icons do not know).
        const QByteArray suffix = j % 5 == 0 ? QByteArray("k" + QByteArray::number(message) + "x" + QByteArray::number(j))
                                             : QByteArray(kinds[j % 10]);
        list += QByteArray::number(j + 1) + ":f" + QByteArray::number(message).rightJustified(4, '0') + '_'
            + QByteArray::number(j).rightJustified(3, '0') + '.' + suffix + ':' + QByteArray::number(1000 + j, 16)
            + ":5f5e1000:1:\a";
    }
    return list;
}

// The offer flood: see the header.
bool runOfferFlood(int n, int files, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    constexpr int kFloodMs = 1200;
    constexpr int kResendMs = 1500;
    constexpr int kFloodTries = 4; // the first send and three resends
    constexpr int kProbeWaitMs = 60000;
    RawPeer peer(target, port, QStringLiteral("offerer"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    struct Sent
    {
        QByteArray packet;
        quint32 number = 0;
        int tries = 1;
    };
    QList<Sent> flood;
    QSet<quint32> receipted;
    QSet<quint32> released;
    const auto take = [&] {
        for (const PacketRecord &p : peer.answers()) {
            if (p.command() == CMD_MESSAGE_RECEIVED)
                receipted.insert(p.bodyText().toUInt());
            else if (p.command() == CMD_RELEASE_FILES)
                released.insert(p.bodyText().toUInt());
        }
        peer.reset();
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i) {
        const QByteArray list = offerList(i, files);
        Sent sent;
        const QByteArray text = "files " + QByteArray::number(i);
        sent.packet = peer.build(CMD_SEND_MESSAGE | OPT_SEND_CHECK | OPT_FILE_ATTACH, text, list);
        PacketRecord parsed;
        PacketCodec::ParsePacket(sent.packet, 0, 0, parsed);
        sent.number = parsed.packetNumber;
        peer.sendPacket(sent.packet);
        flood.append(sent);
        peer.collect(int(qMax<qint64>(0, qint64(i + 1) * kFloodMs / n - clock.elapsed())));
        take();
    }
    const QByteArray probe = peer.build(CMD_SEND_MESSAGE | OPT_SEND_CHECK, "after the offers");
    PacketRecord parsedProbe;
    PacketCodec::ParsePacket(probe, 0, 0, parsedProbe);
    QElapsedTimer probeClock;
    probeClock.start();
    peer.sendPacket(probe);
    qint64 probeMs = -1;
    qint64 lastResend = 0;
    const auto floodPending = [&] {
        return std::any_of(flood.cbegin(), flood.cend(),
            [&](const Sent &s) { return !receipted.contains(s.number) && s.tries < kFloodTries; });
    };
    while (probeClock.elapsed() < kProbeWaitMs && (probeMs < 0 || floodPending())) {
        peer.collect(20);
        take();
        if (probeMs < 0 && receipted.contains(parsedProbe.packetNumber))
            probeMs = probeClock.elapsed();
        if (probeClock.elapsed() - lastResend < kResendMs)
            continue;
        lastResend = probeClock.elapsed();
        if (probeMs < 0)
            peer.sendPacket(probe);
        for (Sent &s : flood) {
            if (!receipted.contains(s.number) && s.tries < kFloodTries) {
                ++s.tries;
                peer.sendPacket(s.packet);
            }
        }
    }
    // The releases of the last messages follow their receipts.
    peer.collect(1000);
    take();
    int floodReceipted = 0;
    int floodReleased = 0;
    for (const Sent &s : std::as_const(flood)) {
        floodReceipted += receipted.contains(s.number);
        floodReleased += released.contains(s.number);
    }
    report(QStringLiteral("OFFERFLOOD port %1 sent %2 receipted %3 released %4 probe-ms %5")
               .arg(peer.localPort())
               .arg(n)
               .arg(floodReceipted)
               .arg(floodReleased)
               .arg(probeMs));
    return true;
}

} // namespace

bool RunTransferAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    if (words.value(0) == QLatin1String("offerflood"))
        return runOfferFlood(qBound(1, words.value(1).toInt(), 10000), qBound(1, words.value(2).toInt(), 400), target,
            port, report);
    if (words.value(0) != QLatin1String("downloads"))
        return false;
    const int n = qBound(1, words.value(1).toInt(), 100000);
    const int rate = qBound(1, words.value(2).toInt(), 10000);
    const int entries = qBound(1, words.value(3).toInt(), 1000);
    const bool confirm = words.value(4) == QLatin1String("1");
    const quint32 from = words.size() > 5 ? QHostAddress(words[5]).toIPv4Address() : 0;

    RawPeer peer(target, port, QStringLiteral("downloader%1").arg(from & 0xFF), from);
    if (!peer.isOpen() || !peer.announce())
        return false;
    peer.send(CMD_GET_SHARE_LIST, "");
    peer.collect(1500);
    std::vector<ShareList::RequestItem> items;
    for (const PacketRecord &p : peer.answers()) {
        if (p.command() != CMD_SHARE_LIST)
            continue;
        for (const ShareList::SharedEntry &entry : ShareList::ParseReceived(p.bodyText())) {
            if (int(items.size()) < entries)
                items.push_back(ShareList::ItemFor(entry));
        }
    }
    peer.reset();
    if (items.empty()) {
        report(QStringLiteral("DOWNLOADS no share list"));
        return true;
    }
    const QByteArray request = ShareList::BuildRequest({}, items);

    QElapsedTimer clock;
    clock.start();
    Offers offers;
    for (int i = 0; i < n; ++i) {
        peer.send(CMD_SHARE_DOWNLOAD, request);
        peer.collect(int(qMax<qint64>(0, qint64(i + 1) * 1000 / rate - clock.elapsed())));
        takeOffers(peer, confirm, clock, offers);
    }
    const qint64 sentMs = clock.elapsed();
    // The offers still on their way (a resend of an unconfirmed one is no new offer).
    while (clock.elapsed() - qMax(offers.lastMs, sentMs) < kQuietMs && clock.elapsed() < kLongestWaitMs) {
        peer.collect(200);
        takeOffers(peer, confirm, clock, offers);
    }
    report(QStringLiteral("DOWNLOADS sent %1 offers %2 entries %3 last-offer-ms %4")
               .arg(n)
               .arg(offers.numbers.size())
               .arg(offers.entries)
               .arg(offers.lastMs));
    return true;
}

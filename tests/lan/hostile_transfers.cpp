#include "hostile_transfers.h"

#include "hostile.h"
#include "net/Commands.h"
#include "net/FileList.h"
#include "net/ShareList.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSet>

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

} // namespace

bool RunTransferAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
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

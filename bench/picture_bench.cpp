// A screenshot of 1 MiB sent as a chat picture, in real time: the paced
// sending table driven by its pacer and the 5-second resend timer on the
// event loop, the real reception table acknowledging every chunk. The wire
// between them drops a share of the chunks and of the acknowledgements
// (seeded). Each lossy run is set against the loss-free run of the same
// round: time taken, chunks put on the wire, chunks resent against chunks
// lost, resend passes.
//
// Environment: KWEL_BENCH_ROUNDS sets the number of rounds (default 5),
// KWEL_BENCH_LOSS the loss in percent (default 10).
#include "core/CConfig.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/PacketCodec.h"
#include "net/PictureChunk.h"
#include "net/PictureSender.h"
#include "net/PictureStore.h"

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype kPictureBytes = qsizetype(1) << 20;
constexpr int kResendMs = 5000; // the chat window's resend pass

struct Run
{
    PictureSendStats stats;
    qint64 wallMs = 0;
    qint64 lostChunks = 0;
    qint64 lostAcks = 0;
    bool received = false;
};

Run sendOnce(const QString &folder, quint32 id, int lossPercent, quint32 seed)
{
    CConfig config(folder + QStringLiteral("/kwel.ini"));
    const PictureStore store(folder + QStringLiteral("/kwel"));
    store.CreateFolders();
    IncomingPictures receiver(config, store);
    QRandomGenerator random(seed);
    auto drop = [&] { return lossPercent > 0 && int(random.bounded(100)) < lossPercent; };

    Run run;
    PictureSendTable table;
    PicturePacer pacer(table);
    QEventLoop loop;
    table.setFinishedHandler([&](const PictureSendStats &s) {
        run.stats = s;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    receiver.setAckSender([&](const HostKey &, const QByteArray &body) {
        if (drop()) {
            ++run.lostAcks;
            return;
        }
        // Acknowledgements come back through the event loop, as from a socket.
        if (const auto ack = PictureChunk::ParseAck(body)) {
            QTimer::singleShot(0, &loop, [&table, &pacer, id = ack->id, n = ack->chunkNumber] {
                table.OnPictureChunkAck(id, n, pacer.now());
                pacer.Kick();
            });
        }
    });
    QObject::connect(
        &receiver, &IncomingPictures::pictureReceived, [&](const ReceivedPicture &) { run.received = true; });

    const HostKey from(QStringLiteral("bench"), QStringLiteral("bench-pc"), 0x0A000002, 2425);
    auto wire = [&](const QByteArray &header, QByteArrayView chunk) {
        if (drop()) {
            ++run.lostChunks;
            return true;
        }
        PacketRecord packet;
        packet.key = from;
        packet.macText = QStringLiteral("AABBCCDDEEFF");
        packet.commandWord = CMD_PICTURE_DATA | OPT_FILE_ATTACH;
        packet.body = header;
        packet.extension = chunk.toByteArray();
        receiver.OnPictureData(packet);
        return true;
    };

    // The bytes of a GIF face of 1 MiB: travels unchanged (kind 2).
    QByteArray data(kPictureBytes, Qt::Uninitialized);
    for (char &c : data)
        c = char(random.bounded(256));
    data.replace(0, 6, "GIF89a");
    // A logical screen of 320 x 240, within what a peer's picture may claim.
    data.replace(6, 4, QByteArray("\x40\x01\xf0\x00", 4));
    auto sender = std::make_unique<PictureSender>(id, data, 2, 1, 0, 0, 512, wire);
    sender->setTries(PictureSender::TriesFromConfig(10));

    QTimer passes;
    QObject::connect(&passes, &QTimer::timeout, [&] {
        if (table.ResendPass(pacer.now()) > 0)
            pacer.Kick();
    });
    QElapsedTimer clock;
    clock.start();
    // The message that names the picture goes first, as the chat session
    // sends it: the receiver keeps only pictures a message named.
    receiver.ClaimPictures(from, { id });
    table.Add(std::move(sender), pacer.now());
    passes.start(kResendMs);
    pacer.Kick();
    QTimer::singleShot(120000, &loop, &QEventLoop::quit); // never more than two minutes
    loop.exec();
    run.wallMs = clock.elapsed();
    return run;
}

void print(const char *what, const Run &r)
{
    std::printf("  %-8s ms=%6lld chunks=%lld sent=%lld resent=%lld lost=%lld lost-acks=%lld passes=%d repairs=%d %s\n",
        what, static_cast<long long>(r.wallMs), static_cast<long long>(r.stats.chunkCount),
        static_cast<long long>(r.stats.transmissions), static_cast<long long>(r.stats.resent),
        static_cast<long long>(r.lostChunks), static_cast<long long>(r.lostAcks), r.stats.passes, r.stats.repairs,
        r.stats.complete && r.received ? "complete" : "NOT COMPLETE");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds
        = qEnvironmentVariableIsSet("KWEL_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("KWEL_BENCH_ROUNDS") : 5;
    const int loss
        = qEnvironmentVariableIsSet("KWEL_BENCH_LOSS") ? qEnvironmentVariableIntValue("KWEL_BENCH_LOSS") : 10;
    QTemporaryDir dir;
    std::printf("picture of %lld bytes in chunks of 512, %d %% loss of chunks and acknowledgements, %d rounds\n",
        static_cast<long long>(kPictureBytes), loss, rounds);
    std::vector<double> timeRatios, sentRatios, resentPerLost;
    int worstPasses = 0;
    bool allComplete = true;
    for (int round = 1; round <= std::max(1, rounds); ++round) {
        const QString folder = dir.filePath(QStringLiteral("round%1").arg(round));
        std::printf("round %d\n", round);
        const Run clean = sendOnce(folder + QStringLiteral("-clean"), 0x10000 + round, 0, round);
        const Run lossy = sendOnce(folder + QStringLiteral("-lossy"), 0x20000 + round, loss, round);
        print("no loss", clean);
        print("lossy", lossy);
        allComplete = allComplete && clean.stats.complete && lossy.stats.complete && clean.received && lossy.received;
        timeRatios.push_back(double(lossy.wallMs) / double(std::max<qint64>(1, clean.wallMs)));
        sentRatios.push_back(
            double(lossy.stats.transmissions) / double(std::max<qint64>(1, clean.stats.transmissions)));
        resentPerLost.push_back(double(lossy.stats.resent) / double(std::max<qint64>(1, lossy.lostChunks)));
        worstPasses = std::max(worstPasses, lossy.stats.passes);
    }
    std::printf("time (lossy / no loss): median %.2f, worst %.2f\n", Bench::median(timeRatios),
        *std::max_element(timeRatios.begin(), timeRatios.end()));
    std::printf("chunks on the wire (lossy / no loss): median %.2f\n", Bench::median(sentRatios));
    std::printf("chunks resent / chunks lost: median %.2f, worst %.2f (target at most 2)\n",
        Bench::median(resentPerLost), *std::max_element(resentPerLost.begin(), resentPerLost.end()));
    std::printf("resend passes: worst %d (target at most 2)%s\n", worstPasses,
        allComplete ? "" : "; SOME RUN DID NOT COMPLETE");
    return allComplete ? 0 : 1;
}

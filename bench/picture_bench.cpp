// A screenshot of 1 MiB sent as a chat picture, in real time: the paced
// sending table driven by its pacer and the 5-second resend timer on the
// event loop, the real reception table acknowledging every chunk. The wire
// between them drops a share of the chunks and of the acknowledgements
// (seeded). Each round runs the lossy send and the loss-free one (the
// baseline) on one core, one after the other in turn. Prints the time, the
// chunks on the wire and the chunks resent against the chunks lost with
// their spread over the rounds; marks: every picture arrives, resent at most
// twice the lost, at most two resend passes, the lossy time at most 4 times
// the loss-free one (median).
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
constexpr int kDefaultRounds = 5;
constexpr double kTimeMark = 4.0; // lossy / loss-free: one 5-second pass would take it past 5
constexpr double kResentMark = 2.0; // chunks resent per chunk lost
constexpr int kPassesMark = 2;

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
    receiver.setAckSender([&](const HostKey &, const QByteArray &body, qint32) {
        if (drop()) {
            ++run.lostAcks; // lost on the wire: sent as far as the receiver knows
            return true;
        }
        // Acknowledgements come back through the event loop, as from a socket.
        if (const auto ack = PictureChunk::ParseAck(body)) {
            QTimer::singleShot(0, &loop, [&table, &pacer, id = ack->id, n = ack->chunkNumber] {
                table.OnPictureChunkAck(id, n, pacer.now());
                pacer.Kick();
            });
        }
        return true;
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

// One figure of every run.
template<typename F>
std::vector<double> each(const std::vector<Run> &runs, F figure)
{
    std::vector<double> v;
    for (const Run &r : runs)
        v.push_back(double(figure(r)));
    return v;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace Bench;
    QCoreApplication app(argc, argv);
    PinToOneCpu();
    const int rounds = RoundCount(kDefaultRounds);
    const int loss
        = qEnvironmentVariableIsSet("KWEL_BENCH_LOSS") ? qEnvironmentVariableIntValue("KWEL_BENCH_LOSS") : 10;
    QTemporaryDir dir;
    std::printf("picture of %lld bytes in chunks of 512, %d %% loss of chunks and acknowledgements, %d rounds\n",
        static_cast<long long>(kPictureBytes), loss, rounds);
    // Each round has its own folders, picture numbers and seed; both sides of
    // a round share the seed.
    std::vector<Run> clean, lossy;
    const auto side = [&](std::vector<Run> &runs, const char *name, quint32 idBase, int percent) {
        const int round = int(runs.size()) + 1;
        const QString folder = dir.filePath(QStringLiteral("round%1-%2").arg(round).arg(QLatin1String(name)));
        runs.push_back(sendOnce(folder, idBase + quint32(round), percent, quint32(round)));
        return double(std::max<qint64>(1, runs.back().wallMs));
    };
    const Rounds r = Interleave(
        rounds, [&] { return side(lossy, "lossy", 0x20000, loss); }, [&] { return side(clean, "clean", 0x10000, 0); },
        RatioOf::Times);
    for (size_t i = 0; i < lossy.size(); ++i) {
        std::printf("round %zu\n", i + 1);
        print("no loss", clean[i]);
        print("lossy", lossy[i]);
    }

    const auto incomplete = [](const Run &run) { return run.stats.complete && run.received ? 0 : 1; };
    std::vector<double> notComplete = each(lossy, incomplete);
    for (size_t i = 0; i < clean.size(); ++i)
        notComplete[i] += incomplete(clean[i]);
    const std::vector<double> resentPerLost
        = RatiosOf(each(lossy, [](const Run &run) { return run.stats.resent; }),
            each(lossy, [](const Run &run) { return std::max<qint64>(1, run.lostChunks); }), RatioOf::Times);
    const auto sent = [](const Run &run) { return run.stats.transmissions; };

    Report report;
    report.Show("no loss, ms", r.baseline, " ms");
    report.Show("lossy, ms", r.measured, " ms");
    report.Ratio("time lossy / no loss", r.ratios, { Mark::AtMost, kTimeMark });
    report.Show("ratio chunks on the wire lossy / no loss", RatiosOf(each(lossy, sent), each(clean, sent), RatioOf::Times), "");
    report.Ratio("chunks resent / chunks lost", resentPerLost, { Mark::AtMost, kResentMark, true });
    report.Figure("resend passes", each(lossy, [](const Run &run) { return run.stats.passes; }), "",
        { Mark::AtMost, kPassesMark, true });
    report.Figure("pictures not complete", notComplete, "", { Mark::AtMost, 0, true });
    return report.exitCode();
}

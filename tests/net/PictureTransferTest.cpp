#include "TestEnv.h"
#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/Lzw.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/PacketCodec.h"
#include "net/PictureChunk.h"
#include "net/PicturePayload.h"
#include "net/PictureSender.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace PictureChunk;

namespace {

struct Chunk
{
    QByteArray header;
    QByteArray bytes;
};

// The chunks a sender puts on the wire.
QList<Chunk> chunksOf(quint32 id, const QByteArray &data, qint32 kind, qint32 compression, qint32 chunkSize,
    qint32 purpose = 0, quint32 group = 0)
{
    QList<Chunk> out;
    PictureSender s(id, data, kind, compression, purpose, group, chunkSize, [&](const QByteArray &h, QByteArrayView c) {
        out.append({ h, c.toByteArray() });
        return true;
    });
    s.SendAll();
    return out;
}

PacketRecord packetOf(const Chunk &c, quint32 commandWord = CMD_PICTURE_DATA | OPT_FILE_ATTACH)
{
    PacketRecord p;
    p.key = HostKey(QStringLiteral("li"), QStringLiteral("li-pc"), 0x0A000002, 2425);
    p.macText = QStringLiteral("AABBCCDDEEFF");
    p.commandWord = commandWord;
    p.body = c.header;
    p.extension = c.bytes;
    return p;
}

QImage testImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x + y) % 256));
    return image;
}

// A receiver with its own data folder that records acknowledgements and pictures.
struct Receiver
{
    explicit Receiver(const QString &name)
        : folder(TestEnv::freshDir(name) + QStringLiteral("/kwel"))
        , config(folder + QStringLiteral(".ini"))
        , store(folder)
        , in(config, store)
    {
        // Each acknowledgement goes out kAckCopies times: one is recorded.
        in.setAckSender([this](const HostKey &, const QByteArray &body, qint32) {
            if (++ackCopies % IncomingPictures::kAckCopies == 0)
                acks.append(ParseAck(body)->chunkNumber);
            return true;
        });
        in.setClock([this] { return clock; });
        // Reassembly alone: the message that names the picture is not needed.
        IncomingPictures::Limits limits;
        limits.requireClaims = false;
        in.setLimits(limits);
        QObject::connect(&in, &IncomingPictures::pictureReceived, [this](const ReceivedPicture &p) { got.append(p); });
    }
    void feed(const Chunk &c, quint32 commandWord = CMD_PICTURE_DATA | OPT_FILE_ATTACH)
    {
        in.OnPictureData(packetOf(c, commandWord));
    }

    QString folder;
    CConfig config;
    PictureStore store;
    IncomingPictures in;
    QList<qint32> acks;
    int ackCopies = 0;
    QList<ReceivedPicture> got;
    qint64 clock = 0;
};

// The receiver's disk floor, on a disk of kDiskBytes with the free space
// and the clock the test sets; the refusals are recorded.
constexpr qint64 kDiskBytes = qint64(1) << 30;
struct DiskFloor
{
    DiskFloor(Receiver &r, qint64 freeBytes)
        : available(freeBytes)
    {
        FreeSpaceFloor floor(r.folder);
        floor.setProbe([this] { return std::optional(FreeSpaceFloor::Space { kDiskBytes, available }); });
        floor.setClock([this] { return now; });
        r.in.setFreeSpaceFloor(floor);
        r.in.setRefusalSink([this](PeerRefusal why, quint32) { refused.append(why); });
    }
    qint64 available;
    qint64 now = 0;
    QList<PeerRefusal> refused;
};

} // namespace

TEST(PictureChunk, HeaderAndAckTexts)
{
    PictureChunkHeader h { 0xabc, 1000, 512, 2, 2, 488, 0, 1, 0, 0x1234 };
    EXPECT_EQ(FormatHeader(h), QByteArrayLiteral("00000abc|1000|512|2|2|488|0|1|0|00001234#"));
    PictureChunkHeader back;
    ASSERT_EQ(ParseHeader(QByteArray(FormatHeader(h) + "|ignored"), back), PictureChunkStatus::Ok);
    EXPECT_EQ(back, h);
    EXPECT_EQ(ParseHeader("00000abc|1000|512|2|2|488|0|1|0#|1", back), PictureChunkStatus::TooFewFields);
    EXPECT_EQ(ParseHeader("00000abg|1000|512|2|2|488|0|1|0|0#", back), PictureChunkStatus::BadNumber);
    EXPECT_EQ(ParseHeader("00000abc|1000|2147483648|2|2|488|0|1|0|0#", back), PictureChunkStatus::BadNumber);

    EXPECT_EQ(FormatAck(0x3e8, 7), QByteArrayLiteral("000003e8|7#"));
    ASSERT_TRUE(ParseAck("000003e8|7#"));
    EXPECT_EQ(ParseAck("000003e8|7#")->chunkNumber, 7);
    EXPECT_FALSE(ParseAck("000003e8|7|1#"));
    EXPECT_FALSE(ParseAck("000003e8#"));
}

TEST(PictureSender, ChunksAcksAndResendPasses)
{
    QList<Chunk> sent;
    auto record = [&](const QByteArray &h, QByteArrayView c) {
        sent.append({ h, c.toByteArray() });
        return true;
    };
    PictureSender s(0x1234, QByteArray(1000, 'x'), 0, 1, 0, 0, 512, record);
    ASSERT_TRUE(s.isValid());
    EXPECT_EQ(s.SendAll(), 2);
    EXPECT_EQ(sent[0].header, QByteArrayLiteral("00001234|1000|0|2|1|512|0|1|0|00000000#"));
    EXPECT_EQ(sent[1].header, QByteArrayLiteral("00001234|1000|512|2|2|488|0|1|0|00000000#"));
    EXPECT_EQ(PictureSender(1, QByteArray(1024, 'x'), 0, 1, 0, 0, 512, record).chunkHeader(2).chunkLength, 512);

    // Chunk sizes: out of range gives 512, and a chunk always fits a packet.
    EXPECT_EQ(PictureSender::ChunkSizeFromConfig(100), 512);
    EXPECT_EQ(PictureSender::ChunkSizeFromConfig(70000), 512);
    EXPECT_EQ(PictureSender::ChunkSizeFromConfig(65536), kMaxChunkSize);
    // At most 8000 chunks: a larger picture takes larger chunks; beyond that, nothing.
    EXPECT_EQ(PictureSender(1, QByteArray(4096000, 'x'), 0, 1, 0, 0, 512, record).chunkCount(), 8000);
    PictureSender bigger(1, QByteArray(4096001, 'x'), 0, 1, 0, 0, 512, record);
    EXPECT_EQ(bigger.chunkCount(), 7985);
    EXPECT_EQ(bigger.chunkSize(), 513);
    EXPECT_EQ(PictureSender(1, QByteArray(kMaxPictureBytes + 1, 'x'), 0, 1, 0, 0, 512, record).status(),
        PictureSender::Status::TooLarge);
    EXPECT_EQ(PictureSender(1, QByteArray(), 0, 1, 0, 0, 512, record).status(), PictureSender::Status::Empty);

    // The largest chunk with the longest header still travels whole.
    OwnHeader own;
    own.userName = own.hostName = QString(49, QLatin1Char('n'));
    own.macText = QStringLiteral("AABBCCDDEEFF");
    own.headIcon = own.headPictureSize = own.customPictureSize = std::numeric_limits<qint32>::min();
    own.statusBits = 0x80000000u;
    PictureChunkHeader worst { 0xffffffff, 0x80000000u, std::numeric_limits<qint32>::min(), -2147483647 - 1,
        -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 0xffffffff };
    const QByteArray packet = PacketCodec::BuildPacket(own, 0x80000000u, 0x800000c0u | OPT_FILE_ATTACH,
        FormatHeader(worst), QByteArray(kMaxChunkSize, 'c'), kMaxChunkSize);
    PacketRecord parsed;
    ASSERT_EQ(PacketCodec::ParsePacket(packet, 1, 1, parsed), PacketStatus::Ok);
    EXPECT_EQ(parsed.extension.size(), kMaxChunkSize);

    // Acknowledgements count once; resend passes send only what is missing.
    sent.clear();
    PictureSender r(7, QByteArray(1500, 'y'), 1, 0, 0, 0, 512, record);
    r.setTries(2);
    EXPECT_TRUE(r.OnAck(2));
    EXPECT_FALSE(r.OnAck(2));
    EXPECT_FALSE(r.OnAck(0));
    EXPECT_FALSE(r.OnAck(4));
    bool finished = false;
    EXPECT_EQ(r.ResendPass(finished), 2);
    EXPECT_FALSE(finished);
    EXPECT_EQ(r.ResendPass(finished), 2);
    EXPECT_FALSE(finished);
    EXPECT_EQ(r.ResendPass(finished), 0) << "a picture gets as many resend passes as its tries";
    EXPECT_TRUE(finished);

    PictureSendTable table;
    EXPECT_TRUE(table.Add(std::make_unique<PictureSender>(7, QByteArray(600, 'y'), 1, 0, 0, 0, 512, record)));
    EXPECT_FALSE(table.Add(std::make_unique<PictureSender>(7, QByteArray(600, 'y'), 1, 0, 0, 0, 512, record)));
    table.OnPictureChunkAck(7, 1);
    table.OnPictureChunkAck(7, 1);
    table.OnPictureChunkAck(8, 2);
    EXPECT_TRUE(table.Contains(7));
    table.OnPictureChunkAck(7, 2);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.ResendPass(), 0);
}

namespace {

// A sender and a receiver joined by a fake network that drops a share of the
// chunks and of the acknowledgements, on one clock; the pacing, the early
// repairs and the 5-second passes run as the session runs them.
struct LossyLink
{
    LossyLink(int lossPercent, quint32 seed)
        : receiver(QStringLiteral("lossy%1").arg(seed))
        , random(seed)
        , loss(lossPercent)
    {
        receiver.in.setAckSender([this](const HostKey &, const QByteArray &body, qint32) {
            if (drop())
                return true;
            const auto ack = ParseAck(body);
            table.OnPictureChunkAck(ack->id, ack->chunkNumber, clock);
            return true;
        });
        table.setFinishedHandler([this](const PictureSendStats &s) { finished.append(s); });
    }
    bool drop() { return loss > 0 && int(random.bounded(100)) < loss; }
    PictureSender::SendFunction wire()
    {
        return [this](const QByteArray &header, QByteArrayView chunk) {
            if (drop())
                ++lostChunks;
            else
                receiver.feed({ header, chunk.toByteArray() });
            return true;
        };
    }
    // Runs the pacing and the resend timer for up to `ms` milliseconds.
    void run(qint64 ms, int tries)
    {
        qint64 nextPass = clock + 5000;
        const qint64 end = clock + ms;
        std::optional<qint64> next = clock;
        while (clock < end && !table.isEmpty()) {
            const qint64 step = std::min(next.value_or(nextPass), nextPass);
            clock = std::max(clock, step);
            if (clock >= nextPass) {
                if (tries > 0)
                    table.ResendPass(clock);
                nextPass = clock + 5000;
            }
            next = table.Pump(clock);
        }
    }

    Receiver receiver;
    PictureSendTable table;
    QRandomGenerator random;
    int loss;
    qint64 clock = 0;
    qint64 lostChunks = 0;
    QList<PictureSendStats> finished;
};

// A GIF face's bytes as they travel (kind 2): the signature, then noise.
QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char &c : data)
        c = char(random.bounded(256));
    // A GIF header of a 640 x 480 screen (within the limits of peer pictures).
    data.replace(0, 10, QByteArray::fromHex("4749463839618002e001"));
    return data;
}

} // namespace

TEST(PictureSendTable, PacesChunksAndGivesUp)
{
    // Chunks leave a few per step, never in one burst.
    QList<qint32> wire;
    auto record = [&](const QByteArray &h, QByteArrayView) {
        PictureChunkHeader parsed;
        ParseHeader(h, parsed);
        wire.append(parsed.chunkNumber);
        return true;
    };
    PictureSendTable table;
    QList<PictureSendStats> done;
    table.setFinishedHandler([&](const PictureSendStats &s) { done.append(s); });
    auto big = std::make_unique<PictureSender>(1, QByteArray(512 * 20, 'x'), 0, 2, 0, 0, 512, record);
    big->setTries(2);
    ASSERT_TRUE(table.Add(std::move(big), 0));
    EXPECT_TRUE(wire.isEmpty()) << "adding queues, the pacing sends";
    std::optional<qint64> next = table.Pump(0);
    EXPECT_EQ(wire.size(), PictureSendTable::kChunksPerStep);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, PictureSendTable::kStepMs);
    while (next && wire.size() < 20)
        next = table.Pump(*next);
    EXPECT_EQ(wire.size(), 20);

    // Acknowledgements beyond the count, of chunk 0 and of unknown ids change
    // nothing; a repeated one counts once.
    table.OnPictureChunkAck(1, 21);
    table.OnPictureChunkAck(1, 0);
    table.OnPictureChunkAck(1, 8001);
    table.OnPictureChunkAck(9, 3);
    table.OnPictureChunkAck(1, 3);
    table.OnPictureChunkAck(1, 3);
    table.OnPictureChunkAck(1, 4);

    // Acknowledgements arrived: an early repair queues the missing chunks
    // once the grace after the last chunk has passed.
    const qint64 lastSent = (20 / PictureSendTable::kChunksPerStep - 1) * PictureSendTable::kStepMs;
    next = table.Pump(lastSent + 1);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, lastSent + PictureSendTable::kRepairGraceMs);
    wire.clear();
    for (next = table.Pump(*next); next && table.queuedChunks() > 0;)
        next = table.Pump(*next);
    EXPECT_EQ(wire.size(), 18) << "chunks 3 and 4 were acknowledged";
    EXPECT_FALSE(wire.contains(3));
    // The peer answered in this pass: the chunks still missing (lost again,
    // they bring no acknowledgement of their own) are repaired up to
    // kRepairRounds times; then the passes take over.
    while (next)
        next = table.Pump(*next);
    EXPECT_EQ(wire.size(), 18 * PictureSendTable::kRepairRounds);
    EXPECT_FALSE(table.Pump(100000));

    wire.clear();
    EXPECT_EQ(table.ResendPass(), 18);
    EXPECT_EQ(table.ResendPass(), 18) << "still queued chunks are not queued twice";
    EXPECT_EQ(table.queuedChunks(), 18);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.ResendPass(), 0) << "the third pass exceeds two tries: the picture goes with its data";
    EXPECT_TRUE(table.isEmpty());
    ASSERT_EQ(done.size(), 1);
    EXPECT_FALSE(done[0].complete);
    EXPECT_EQ(done[0].ackedCount, 2);
    EXPECT_EQ(done[0].passes, 2);

    // A picture without resends is done with once its chunks went out.
    auto once = std::make_unique<PictureSender>(2, QByteArray(1500, 'y'), 0, 2, 0, 0, 512, record);
    once->setTries(0);
    ASSERT_TRUE(table.Add(std::move(once), 0));
    next = table.Pump(0);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_FALSE(next);
    ASSERT_EQ(done.size(), 2);
    EXPECT_EQ(done[1].transmissions, 3);

    // A peer that answers nothing gets no repairs, only the passes.
    PictureSendTable silent;
    ASSERT_TRUE(silent.Add(std::make_unique<PictureSender>(4, QByteArray(1500, 'q'), 0, 2, 0, 0, 512, record), 0));
    EXPECT_FALSE(silent.Pump(0));
    EXPECT_EQ(silent.count(), 1);

    // A refused send ends the step; the chunk counts as lost and comes again later.
    int calls = 0;
    PictureSendTable refusing;
    ASSERT_TRUE(refusing.Add(std::make_unique<PictureSender>(3, QByteArray(5000, 'z'), 0, 2, 0, 0, 512,
        [&](const QByteArray &, QByteArrayView) { return ++calls != 2; })));
    refusing.Pump(0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(refusing.queuedChunks(), 8);
}

TEST(PictureSendTable, LossyLinkCompletesWithinTwoPasses)
{
    // A screenshot of about 1 MB at 10 % loss both ways: complete within two
    // resend passes, and the chunks resent stay below twice the chunks lost.
    for (quint32 seed : { 1u, 2u, 3u }) {
        LossyLink link(10, seed);
        auto sender = std::make_unique<PictureSender>(0x5000 + seed, noise(1 << 20, seed), 2, 1, 0, 0, 512, link.wire());
        sender->setTries(10);
        ASSERT_TRUE(link.table.Add(std::move(sender), 0));
        link.run(60000, 10);
        ASSERT_EQ(link.finished.size(), 1) << "seed " << seed;
        const PictureSendStats &s = link.finished[0];
        EXPECT_TRUE(s.complete) << "seed " << seed;
        EXPECT_LE(s.passes, 2) << "seed " << seed;
        EXPECT_LE(s.resent, 2 * link.lostChunks) << "seed " << seed;
        EXPECT_GT(link.lostChunks, 150);
        ASSERT_EQ(link.receiver.got.size(), 1);
        EXPECT_EQ(link.receiver.got[0].id, 0x5000 + seed);
    }
    // Without loss nothing is resent.
    LossyLink clean(0, 9);
    ASSERT_TRUE(clean.table.Add(
        std::make_unique<PictureSender>(0x6000, noise(1 << 20, 9), 2, 1, 0, 0, 512, clean.wire()), 0));
    clean.run(60000, 10);
    ASSERT_EQ(clean.finished.size(), 1);
    EXPECT_EQ(clean.finished[0].resent, 0);
    EXPECT_EQ(clean.finished[0].passes, 0);
}

TEST(IncomingPictures, ReassemblesWithLossDuplicatesAndReordering)
{
    Receiver r(QStringLiteral("pictures-reassemble"));
    const QImage image = testImage(40, 30);
    const auto payload = PicturePayloads::EncodeBitmap(image, true, PicturePayloads::Packing::LzwBelowThreshold);
    ASSERT_TRUE(payload);
    ASSERT_EQ(payload->compression, CompressionLzw);
    const QList<Chunk> chunks = chunksOf(0x5000, payload->data, payload->kind, payload->compression, 128);
    ASSERT_GE(chunks.size(), 4);

    // Backwards with every other one lost, the last one twice, then the lost ones.
    for (qsizetype i = chunks.size() - 1; i >= 0; i -= 2)
        r.feed(chunks[i]);
    r.feed(chunks.last());
    EXPECT_EQ(r.in.entryCount(), 1);
    EXPECT_TRUE(r.got.isEmpty());
    for (qsizetype i = chunks.size() - 2; i >= 0; i -= 2)
        r.feed(chunks[i]);
    ASSERT_EQ(r.got.size(), 1);
    EXPECT_EQ(r.acks.size(), chunks.size() + 1) << "a repeated chunk is acknowledged again";
    EXPECT_EQ(r.ackCopies, r.acks.size() * IncomingPictures::kAckCopies);
    const ReceivedPicture &p = r.got.first();
    EXPECT_EQ(p.id, 0x5000u);
    EXPECT_FALSE(p.fromStore);
    EXPECT_EQ(p.image.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(p.filePath, r.store.picturePath(PictureStore::recvFace(), 0x5000, QStringLiteral("bmp")));
    EXPECT_EQ(LoadBitmapFile(p.filePath).convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(r.in.entryCount(), 0);

    // A late copy is only acknowledged; a new sending of the stored picture
    // is answered from the store with every acknowledgement once, at the
    // picture pace; late copies after that are acknowledged as they come.
    r.acks.clear();
    r.feed(chunks[1]);
    EXPECT_EQ(r.acks, QList<qint32> { 2 });
    EXPECT_EQ(r.got.size(), 1);
    Receiver again(QStringLiteral("pictures-stored"));
    again.store.CreateFolders();
    ASSERT_TRUE(
        QFile::copy(p.filePath, again.store.picturePath(PictureStore::recvFace(), 0x5000, QStringLiteral("bmp"))));
    QList<qint32> raw;
    again.in.setAckSender([&](const HostKey &, const QByteArray &body, qint32) {
        raw.append(ParseAck(body)->chunkNumber);
        return true;
    });
    again.feed(chunks[2]);
    EXPECT_LE(raw.size(), PictureSendTable::kChunksPerStep) << "paced, not all at once";
    again.feed(chunks[0]);
    again.feed(chunks[1]);
    for (QDeadlineTimer deadline(5000); raw.size() < chunks.size() + 2 * IncomingPictures::kAckCopies && !deadline.hasExpired();)
        QTest::qWait(10);
    ASSERT_EQ(raw.size(), chunks.size() + 2 * IncomingPictures::kAckCopies);
    for (qint32 n = 1; n <= qint32(chunks.size()); ++n)
        EXPECT_EQ(raw.count(n), n <= 2 ? 1 + IncomingPictures::kAckCopies : 1) << n;
    ASSERT_EQ(again.got.size(), 1);
    EXPECT_TRUE(again.got.first().fromStore);
    EXPECT_TRUE(again.got.first().image.isNull()) << "the windows show the file; nothing is decoded for them here";
    EXPECT_EQ(LoadBitmapFile(again.got.first().filePath).convertToFormat(QImage::Format_RGB32), image);

    // Beyond the peer's answer budget the acknowledgements of a stored
    // picture stop at the first refused: no refusal for each of the rest.
    Receiver broke(QStringLiteral("pictures-stored-broke"));
    broke.store.CreateFolders();
    ASSERT_TRUE(
        QFile::copy(p.filePath, broke.store.picturePath(PictureStore::recvFace(), 0x5000, QStringLiteral("bmp"))));
    int tries = 0;
    broke.in.setAckSender([&](const HostKey &, const QByteArray &, qint32) {
        ++tries;
        return false;
    });
    broke.feed(chunks[2]);
    QTest::qWait(50);
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(broke.in.queuedAcks(), 0);

    // A peer the host table does not list gets the one chunk acknowledged
    // once, nothing shown, and the refusal is counted.
    Receiver stranger(QStringLiteral("pictures-stored-unlisted"));
    stranger.store.CreateFolders();
    ASSERT_TRUE(QFile::copy(
        p.filePath, stranger.store.picturePath(PictureStore::recvFace(), 0x5000, QStringLiteral("bmp"))));
    QList<PeerRefusal> refusals;
    stranger.in.setRefusalSink([&](PeerRefusal why, quint32) { refusals.append(why); });
    stranger.in.setHostLookup([](const HostKey &) -> const HostRecord * { return nullptr; });
    raw.clear();
    stranger.in.setAckSender([&](const HostKey &, const QByteArray &body, qint32) {
        raw.append(ParseAck(body)->chunkNumber);
        return true;
    });
    stranger.feed(chunks[2]);
    QTest::qWait(50);
    EXPECT_TRUE(raw.isEmpty()) << "the host table must list the sender of any one-to-one picture";
    EXPECT_EQ(refusals, QList<PeerRefusal> { PeerRefusal::PictureUnlisted });
    EXPECT_TRUE(stranger.got.isEmpty());
}

TEST(IncomingPictures, RefusesHostileChunks)
{
    Receiver r(QStringLiteral("pictures-hostile"));
    const Chunk good = chunksOf(0x77, QByteArray(1000, 'z'), 1, 0, 512).first();
    auto variant = [&](const char *header, QByteArray bytes = QByteArray(512, 'z')) { return Chunk { header, bytes }; };
    const QList<Chunk> hostile = {
        variant("00000077|1000|0|2|0|512|1|0|0|00000000#"), // chunk 0
        variant("00000077|1000|0|2|3|512|1|0|0|00000000#"), // beyond the count
        variant("00000077|100000|0|8001|1|512|1|0|0|00000000#"), // too many chunks
        variant("00000077|1000|600|2|2|512|1|0|0|00000000#"), // past the end
        variant("00000077|1000|-1|2|1|512|1|0|0|00000000#"), // before the start
        variant("00000077|1000|0|2|1|512|1|0|0|00000000#", QByteArray(500, 'z')), // fewer bytes than told
        variant("00000077|1000|0|2|1|0|1|0|0|00000000#", QByteArray()), // empty
        variant("00000077|16777217|0|2|1|512|1|0|0|00000000#"), // too large a picture
        variant("00000077|1000|0|2|1|512|5|0|0|00000000#"), // unknown kind
    };
    for (const Chunk &c : hostile)
        r.feed(c);
    EXPECT_TRUE(r.acks.isEmpty());
    EXPECT_EQ(r.in.entryCount(), 0);

    // A total or count that changes after the first chunk is not taken.
    r.feed(good);
    r.feed(variant("00000077|1100|512|2|2|488|1|0|0|00000000#", QByteArray(488, 'z')));
    r.feed(variant("00000077|1000|512|3|2|488|1|0|0|00000000#", QByteArray(488, 'z')));
    EXPECT_EQ(r.acks, QList<qint32> { 1 });
    // Chunks that overlap leave a gap: all of them arrived, but no picture.
    r.feed(variant("00000077|1000|0|2|2|488|1|0|0|00000000#", QByteArray(488, 'z')));
    EXPECT_EQ(r.in.entryCount(), 0);
    EXPECT_TRUE(r.got.isEmpty());

    // The table and its buffers are bounded.
    IncomingPictures::Limits limits;
    limits.requireClaims = false;
    limits.maxEntries = 1;
    limits.maxBufferedBytes = 1000;
    limits.shareDivisor = 1;
    r.in.setLimits(limits);
    r.feed(variant("00000078|1000|0|2|1|512|1|0|0|00000000#"));
    r.feed(variant("00000079|1000|0|2|1|512|1|0|0|00000000#"));
    limits.maxEntries = 5;
    r.in.setLimits(limits);
    r.feed(variant("0000007a|1000|0|2|1|512|1|0|0|00000000#"));
    EXPECT_EQ(r.in.entryCount(), 1);
    EXPECT_EQ(r.in.bufferedBytes(), 512) << "what arrived, not what was announced";

    // Refused pictures, group pictures and pictures that are not acknowledged.
    Receiver g(QStringLiteral("pictures-rules"));
    g.config.StatusValue = 0x10;
    g.feed(good);
    EXPECT_EQ(g.in.entryCount(), 0);
    g.config.StatusValue = 0;
    const Chunk group = chunksOf(0x88, QByteArray(1000, 'z'), 1, 0, 512, 0, 0xabc).first();
    g.feed(group);
    EXPECT_EQ(g.in.entryCount(), 0) << "unknown group";
    g.in.setGroupLookup([](quint32 id) { return id == 0xabc; });
    g.feed(group);
    EXPECT_EQ(g.in.entryCount(), 1);
    g.config.QunNoRecvBmp = 1;
    g.config.StatusValue = 1;
    g.feed(chunksOf(0x89, QByteArray(1000, 'z'), 1, 0, 512, 0, 0xabc).first());
    g.config.StatusValue = 0;
    g.feed(good, CMD_PICTURE_DATA | OPT_FILE_ATTACH | OPT_MULTICAST);
    g.feed(chunksOf(0x90, QByteArray(1000, 'z'), 1, 1, 512, PurposeHeadPicture).first(), CMD_HEAD_PICTURE_DATA);
    EXPECT_EQ(g.in.entryCount(), 3);
    EXPECT_TRUE(g.acks.isEmpty());
}

TEST(IncomingPictures, IncompleteEntriesExpire)
{
    Receiver r(QStringLiteral("pictures-expiry"));
    const QList<Chunk> chunks = chunksOf(0x99, QByteArray(2000, 'q'), 1, 0, 512);
    r.feed(chunks[0]);
    r.clock = 30000;
    r.feed(chunks[1]);
    r.clock = 89999;
    EXPECT_EQ(r.in.ExpireEntries(), 0) << "the last new chunk counts";
    r.clock = 90000;
    EXPECT_EQ(r.in.ExpireEntries(), 1);
    EXPECT_EQ(r.in.bufferedBytes(), 0);
    // What is left of it starts a new entry and cannot complete the old one.
    r.feed(chunks[2]);
    r.feed(chunks[3]);
    EXPECT_EQ(r.in.entryCount(), 1);
    EXPECT_TRUE(r.got.isEmpty());
}

TEST(IncomingPictures, DecodesEachKind)
{
    Receiver r(QStringLiteral("pictures-kinds"));
    const QImage image = testImage(64, 48);
    const QByteArray dib = BitmapToDib(image, {}, 24);
    const QByteArray gif
        = QByteArray::fromHex("474946383961010001008000000000ffffff21f90401000000002c00000000010001000002024401003b");
    r.feed(chunksOf(1001, dib, KindDib, CompressionNone, 1000).first()); // not all chunks
    for (const Chunk &c : chunksOf(1001, dib, KindDib, CompressionNone, 1000))
        r.feed(c);
    for (const Chunk &c : chunksOf(1002, JpegCompressGlobal(dib), KindCompressedBitmap, CompressionJpeg, 700))
        r.feed(c);
    for (const Chunk &c : chunksOf(1003, gif, KindGif, CompressionLzw, 16))
        r.feed(c);
    for (const Chunk &c : chunksOf(1004, QByteArray("not a picture at all"), KindGif, CompressionLzw, 8))
        r.feed(c);
    ASSERT_EQ(r.got.size(), 3);
    EXPECT_EQ(r.got[0].image.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(r.got[1].image.size(), image.size());
    EXPECT_LT(qAbs(qRed(r.got[1].image.pixel(10, 10)) - qRed(image.pixel(10, 10))), 8);
    EXPECT_TRUE(QFileInfo::exists(r.got[1].filePath));
    EXPECT_TRUE(r.got[2].image.isNull());
    EXPECT_EQ(TestEnv::readAll(r.got[2].filePath), gif);
    EXPECT_TRUE(r.got[2].filePath.endsWith(QStringLiteral("RecvFace/000003eb.gif")));

    // Head pictures: stored under the sender's MAC text, never with a MAC
    // text that is not one.
    const QByteArray packed = PicturePayloads::EncodeBitmap(image, true, PicturePayloads::Packing::LzwBelowThreshold)->data;
    for (const Chunk &c : chunksOf(1005, packed, KindDib, CompressionLzw, 512, PurposeHeadPicture))
        r.feed(c, CMD_HEAD_PICTURE_DATA);
    ASSERT_EQ(r.got.size(), 4);
    EXPECT_EQ(QFileInfo(r.got[3].filePath).fileName(),
        QStringLiteral("0AABBCCDDEEFF%1.bmp").arg(packed.size(), 8, 16, QLatin1Char('0')));
    EXPECT_EQ(LoadBitmapFile(r.got[3].filePath).convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(r.store.SaveHeadPhoto("BM", 1, QStringLiteral("../../x/yyyy"), 5).isEmpty());
}

// What one peer's pictures may cost: a chat picture no message names is not
// kept, one sender cannot take the whole budget, entries end at an absolute
// age, a decoding bomb is dropped and the folders have a bound.
TEST(IncomingPictures, BoundsWhatPeersCost)
{
    Receiver r(QStringLiteral("pictures-bounds"));
    IncomingPictures::Limits limits;
    r.in.setLimits(limits); // claims required, as in the program
    QList<PeerRefusal> refusals;
    r.in.setRefusalSink([&](PeerRefusal why, quint32) { refusals.append(why); });
    const QByteArray dib = BitmapToDib(testImage(16, 16), {}, 24);
    auto feedAll = [&](quint32 id, const QByteArray &data, qint32 kind, qint32 compression) {
        for (const Chunk &c : chunksOf(id, data, kind, compression, 256))
            r.feed(c);
    };

    // Whole but unnamed: waits, then goes without a file.
    feedAll(0x100, dib, KindDib, CompressionNone);
    EXPECT_TRUE(r.got.isEmpty());
    EXPECT_EQ(r.in.entryCount(), 1);
    r.clock += limits.claimMs;
    EXPECT_EQ(r.in.ExpireEntries(), 1);
    EXPECT_EQ(refusals, QList<PeerRefusal> { PeerRefusal::PictureUnclaimed });
    EXPECT_FALSE(QFileInfo::exists(r.store.picturePath(PictureStore::recvFace(), 0x100, QStringLiteral("bmp"))));
    // Named after it arrived (within the time) or before: kept.
    const HostKey sender = packetOf(Chunk {}).key;
    feedAll(0x101, dib, KindDib, CompressionNone);
    r.in.ClaimPictures(sender, { 0x101 });
    r.in.ClaimPictures(sender, { 0x102 });
    feedAll(0x102, dib, KindDib, CompressionNone);
    ASSERT_EQ(r.got.size(), 2);
    EXPECT_EQ(r.got[0].id, 0x101u);
    EXPECT_EQ(r.got[1].id, 0x102u);
    EXPECT_EQ(r.in.entryCount(), 0);
    // Another sender's message does not name this sender's picture.
    HostKey other = sender;
    other.port = 2426;
    r.in.ClaimPictures(other, { 0x103 });
    feedAll(0x103, dib, KindDib, CompressionNone);
    EXPECT_EQ(r.got.size(), 2);

    // An LZW container that unpacks beyond the peer limits is dropped.
    refusals.clear();
    const QByteArray bomb = LzwCompressGlobal(QByteArray(makeDibInfoHeader(5000, 4000, 24) + QByteArray(5000 * 3 * 4000, 0)));
    ASSERT_FALSE(bomb.isEmpty());
    ASSERT_LT(bomb.size(), 1 << 20);
    r.in.ClaimPictures(sender, { 0x104 });
    for (const Chunk &c : chunksOf(0x104, bomb, KindCompressedBitmap, CompressionLzw, 8192))
        r.feed(c);
    EXPECT_EQ(r.got.size(), 2);
    EXPECT_TRUE(refusals.contains(PeerRefusal::PictureTooLarge));

    // One sender holds at most its part of the entries and of the bytes;
    // another still gets in; memory follows what arrived.
    Receiver s(QStringLiteral("pictures-share"));
    IncomingPictures::Limits small;
    small.maxEntries = 8;
    small.maxBufferedBytes = 8000;
    small.reserveEntries = 0;
    small.reserveBytes = 0;
    small.maxPictureBytes = 4000;
    s.in.setLimits(small);
    for (quint32 id = 1; id <= 8; ++id)
        s.feed(chunksOf(0x200 + id, QByteArray(4000, 'x'), KindDib, CompressionNone, 500).first());
    EXPECT_EQ(s.in.entryCount(), 2) << "a quarter of eight entries";
    EXPECT_EQ(s.in.bufferedBytes(), 1000);
    for (const Chunk &c : chunksOf(0x201, QByteArray(4000, 'x'), KindDib, CompressionNone, 500))
        s.feed(c);
    EXPECT_EQ(s.in.bufferedBytes(), 4000) << "a quarter of the bytes, at least one picture of the largest size";
    Chunk fromOther = chunksOf(0x300, QByteArray(4000, 'y'), KindDib, CompressionNone, 500).first();
    PacketRecord p = packetOf(fromOther);
    p.key.address = 0x0A000003;
    s.in.OnPictureData(p);
    EXPECT_EQ(s.in.entryCount(), 3);
    // A new chunk every 50 s keeps an entry alive only up to its age.
    Receiver a(QStringLiteral("pictures-age"));
    const QList<Chunk> slow = chunksOf(0x500, QByteArray(4000, 'x'), KindDib, CompressionNone, 500);
    int expired = 0;
    for (int i = 0; i < 8 && expired == 0; ++i) {
        a.feed(slow[i]);
        a.clock += 50000;
        expired += a.in.ExpireEntries();
    }
    EXPECT_EQ(expired, 1);
    EXPECT_LE(a.clock, limits.maxAgeMs + 50000);

    // Two chunks at one offset whose lengths add up to the total make no
    // picture (its other bytes were never sent).
    Receiver o(QStringLiteral("pictures-overlap"));
    IncomingPictures::Limits open;
    open.requireClaims = false;
    o.in.setLimits(open);
    const qint32 rest = qint32(dib.size()) - 512;
    const auto head = [&](int n, qint32 length) {
        return QStringLiteral("00000600|%1|0|2|%2|%3|1|0|0|00000000#").arg(dib.size()).arg(n).arg(length).toLatin1();
    };
    o.feed(Chunk { head(1, 512), dib.left(512) });
    o.feed(Chunk { head(2, rest), dib.left(rest) });
    EXPECT_TRUE(o.got.isEmpty());

}

// Four addresses of one host that take all they can of the incoming budget
// leave the reserve: a new sender's picture is received and acknowledged;
// when new senders fill the reserve, one idle for the interval gives way.
TEST(IncomingPictures, ReserveForNewSenders)
{
    Receiver r(QStringLiteral("pictures-reserve"));
    IncomingPictures::Limits limits;
    limits.requireClaims = false;
    limits.maxPictureBytes = 4000;
    limits.maxEntries = 12;
    limits.maxBufferedBytes = 16000;
    limits.reserveEntries = 4;
    limits.reserveBytes = 4000; // 1000 for each reserve entry
    r.in.setLimits(limits);
    QList<quint32> acked;
    r.in.setAckSender([&](const HostKey &to, const QByteArray &, qint32) {
        acked.append(to.address);
        return true;
    });
    const auto send = [&](const QList<Chunk> &chunks, quint32 address) {
        for (const Chunk &c : chunks) {
            PacketRecord p = packetOf(c);
            p.key.address = address;
            r.in.OnPictureData(p);
        }
    };
    // Each hog address opens 8 pictures and sends all but their last chunks.
    for (quint32 hog = 1; hog <= 4; ++hog)
        for (quint32 id = 0; id < 8; ++id)
            send(chunksOf(hog << 8 | id, QByteArray(4000, 'h'), KindDib, CompressionNone, 500).mid(0, 7), 0x0A000100 + hog);
    EXPECT_EQ(r.in.entryCount(), 7);
    EXPECT_EQ(r.in.bufferedBytes(), 12000 + 1000) << "the bytes beside the reserve, and a reserve part";
    // A new sender's picture comes whole and every chunk is acknowledged.
    const QByteArray dib = BitmapToDib(testImage(16, 10), {}, 24);
    const QList<Chunk> chunks = chunksOf(0x7777, dib, KindDib, CompressionNone, 200);
    acked.clear();
    send(chunks, 0x0A000200);
    EXPECT_EQ(acked.count(0x0A000200), chunks.size() * IncomingPictures::kAckCopies);
    ASSERT_EQ(r.got.size(), 1);
    EXPECT_EQ(r.got[0].id, 0x7777u);
    // A hog's address holds something: the reserve stays out of its reach.
    send(chunksOf(0x99, dib, KindDib, CompressionNone, 200).mid(0, 1), 0x0A000101);
    send(chunksOf(0x98, dib, KindDib, CompressionNone, 200).mid(0, 1), 0x0A000104);
    EXPECT_EQ(r.in.entryCount(), 7);
    // New senders fill the reserve; the next one gets in once another's
    // reserve picture has been idle for the interval, not before.
    const QList<Chunk> part = chunksOf(0x8888, dib, KindDib, CompressionNone, 200);
    for (quint32 n = 1; n <= 3; ++n)
        send(part.mid(0, 1), 0x0A000300 + n);
    EXPECT_EQ(r.in.entryCount(), 10);
    acked.clear();
    send(part.mid(0, 1), 0x0A000304);
    EXPECT_TRUE(acked.isEmpty());
    r.clock += limits.reserveIdleMs;
    send(part.mid(1, 1), 0x0A000301); // still busy
    send(part.mid(0, 1), 0x0A000304);
    EXPECT_EQ(acked.count(0x0A000304), IncomingPictures::kAckCopies);
    EXPECT_EQ(r.in.entryCount(), 10);
}

// The picture folders: a sender holds at most its share (its own oldest go
// first), at the bound the heaviest sender's oldest go (what was there at
// start counts as one sender), a head picture from an address replaces the
// one it sent before whatever MAC it names; the user's own pictures stay.
TEST(IncomingPictures, PictureFoldersFairShares)
{
    Receiver r(QStringLiteral("pictures-folder-shares"));
    const QByteArray dib = BitmapToDib(testImage(64, 64), {}, 24); // ~12 KB a file
    const qint64 file = dib.size() + 14;
    IncomingPictures::Limits tight;
    tight.requireClaims = false;
    tight.folderBytes = file * 6;
    tight.folderShareDivisor = 3; // two files a sender
    // Pictures there before the start (senders unknown), and the own ones.
    ASSERT_TRUE(r.store.CreateFolders());
    const QString early = r.store.picturePath(PictureStore::recvFace(), 0xE0, QStringLiteral("bmp"));
    ASSERT_TRUE(SaveDibToFile(early, dib));
    ASSERT_TRUE(SaveDibToFile(r.store.ownHeadPicturePath(), dib));
    ASSERT_TRUE(SaveDibToFile(r.store.picturePath(PictureStore::customFace(), 0xC0, QStringLiteral("bmp")), dib));
    r.in.setLimits(tight);
    QList<quint32> evicted;
    r.in.setRefusalSink([&](PeerRefusal why, quint32 address) {
        if (why == PeerRefusal::PictureEvicted)
            evicted.append(address);
    });
    QSignalSpy full(&r.in, &IncomingPictures::pictureFoldersFull);
    const auto send = [&](quint32 id, quint32 address) {
        for (const Chunk &c : chunksOf(id, dib, KindDib, CompressionNone, 4096)) {
            PacketRecord p = packetOf(c);
            p.key.address = address;
            r.in.OnPictureData(p);
        }
        return r.store.picturePath(PictureStore::recvFace(), id, QStringLiteral("bmp"));
    };
    const QString first = send(0x400, 0x0A000010);
    send(0x401, 0x0A000010);
    const QString third = send(0x402, 0x0A000010);
    EXPECT_FALSE(QFileInfo::exists(first)) << "the sender's own oldest went";
    EXPECT_TRUE(QFileInfo::exists(third));
    EXPECT_EQ(r.in.folderBytesOf(0x0A000010), 2 * file);
    EXPECT_TRUE(full.isEmpty()) << "within its share nothing is said";
    // Two more senders fill the folders; a fourth one's picture is stored:
    // the earliest (one sender of one file) is not the heaviest.
    send(0x500, 0x0A000011);
    send(0x501, 0x0A000011);
    send(0x600, 0x0A000012);
    EXPECT_EQ(r.in.folderBytes(), 6 * file);
    evicted.clear();
    const QString fresh = send(0x700, 0x0A000013);
    EXPECT_TRUE(QFileInfo::exists(fresh));
    ASSERT_EQ(evicted.size(), 1);
    EXPECT_TRUE(evicted[0] == 0x0A000010 || evicted[0] == 0x0A000011);
    EXPECT_TRUE(QFileInfo::exists(early));
    EXPECT_EQ(full.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(r.store.ownHeadPicturePath()));
    EXPECT_TRUE(QFileInfo::exists(r.store.picturePath(PictureStore::customFace(), 0xC0, QStringLiteral("bmp"))));
    EXPECT_LE(r.in.folderBytes(), 6 * file);

    // After a restart everything found is one sender: a new peer's picture
    // pushes out its oldest file.
    IncomingPictures again(r.config, r.store);
    again.setLimits(tight);
    EXPECT_EQ(again.folderBytes(), 6 * file);
    EXPECT_EQ(again.folderBytesOf(PictureFolderShares::kEarlier), 6 * file);
    for (const Chunk &c : chunksOf(0x800, dib, KindDib, CompressionNone, 4096))
        again.OnPictureData(packetOf(c));
    EXPECT_TRUE(QFileInfo::exists(r.store.picturePath(PictureStore::recvFace(), 0x800, QStringLiteral("bmp"))));
    EXPECT_FALSE(QFileInfo::exists(early)) << "the oldest file went first";

    // Head pictures under ten MACs from one address: one file.
    Receiver h(QStringLiteral("pictures-head-per-address"));
    const QByteArray packed = LzwCompressGlobal(dib);
    for (int i = 0; i < 10; ++i) {
        for (const Chunk &c : chunksOf(0x900 + i, packed, KindDib, CompressionLzw, 4096, PurposeHeadPicture)) {
            PacketRecord p = packetOf(c, CMD_HEAD_PICTURE_DATA);
            p.macText = QStringLiteral("AABBCCDD%1").arg(i, 4, 10, QLatin1Char('0'));
            h.in.OnPictureData(p);
        }
    }
    ASSERT_EQ(h.got.size(), 10);
    EXPECT_EQ(QDir(h.store.folderPath(PictureStore::userHeadPhoto())).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(h.in.folderBytes(), file);
}

TEST(IncomingPictures, NothingStoredWhileTheDiskIsDownToItsFloor)
{
    Receiver r(QStringLiteral("pictures-disk-floor"));
    const QByteArray dib = BitmapToDib(testImage(64, 64), {}, 24);
    const qint64 file = dib.size() + 14;
    DiskFloor disk(r, FreeSpaceFloor::MinimumFloor() + file - 1);
    qint64 &available = disk.available;
    qint64 &now = disk.now;
    QList<PeerRefusal> &refused = disk.refused;
    QSignalSpy low(&r.in, &IncomingPictures::diskFloorReached);
    const auto send = [&](quint32 id) {
        for (const Chunk &c : chunksOf(id, dib, KindDib, CompressionNone, 4096))
            r.feed(c);
        return QFileInfo::exists(r.store.picturePath(PictureStore::recvFace(), id, QStringLiteral("bmp")));
    };
    EXPECT_FALSE(send(0x400)) << "a file that would take the disk past its floor";
    EXPECT_EQ(refused, QList<PeerRefusal> { PeerRefusal::DiskFloor });
    ASSERT_EQ(low.size(), 1);
    EXPECT_EQ(low[0][0].toLongLong(), FreeSpaceFloor::MinimumFloor());
    EXPECT_TRUE(r.got.isEmpty());
    // Room again: seen at the next look, a second later.
    available += 10 * file;
    EXPECT_FALSE(send(0x401));
    now += PeerBounds::kFreeSpaceCheckMs;
    EXPECT_TRUE(send(0x402));
    EXPECT_EQ(r.got.size(), 1);
}

TEST(IncomingPictures, AHeadPictureStaysUntilTheNewOneIsStored)
{
    Receiver r(QStringLiteral("pictures-head-kept"));
    DiskFloor disk(r, kDiskBytes / 2);
    qint64 &available = disk.available;
    qint64 &now = disk.now;
    const QList<PeerRefusal> &refused = disk.refused;
    const QString mac = packetOf({}).macText;
    // The stored file is named by the picture's size on the wire.
    const auto sendHead = [&](quint32 id, int side) {
        const QByteArray packed = LzwCompressGlobal(BitmapToDib(testImage(side, side), {}, 24));
        for (const Chunk &c : chunksOf(id, packed, KindDib, CompressionLzw, 4096, PurposeHeadPicture))
            r.in.OnPictureData(packetOf(c, CMD_HEAD_PICTURE_DATA));
        return quint32(packed.size());
    };
    const auto storedPath = [&] {
        const auto found = r.store.FindHeadPhotoFile(0, mac, true);
        return found ? found->path : QString();
    };
    const auto headFiles
        = [&] { return QDir(r.store.folderPath(PictureStore::userHeadPhoto())).entryList(QDir::Files).size(); };

    sendHead(0x900, 32);
    const QString first = storedPath();
    ASSERT_FALSE(first.isEmpty());
    const qint64 bytes = r.in.folderBytes();

    // The disk is down to its floor: the new picture is refused, the old stays.
    available = FreeSpaceFloor::MinimumFloor();
    now += PeerBounds::kFreeSpaceCheckMs;
    const quint32 newValue = sendHead(0x901, 48);
    EXPECT_EQ(refused, QList<PeerRefusal> { PeerRefusal::DiskFloor });
    EXPECT_EQ(storedPath(), first);
    EXPECT_EQ(headFiles(), 1);
    EXPECT_EQ(r.in.folderBytes(), bytes);

    // Room again, but the new file cannot be written: the old one stays.
    available = kDiskBytes / 2;
    now += PeerBounds::kFreeSpaceCheckMs;
    const QString next = r.store.HeadPhotoPath(0, mac, newValue);
    ASSERT_TRUE(QDir().mkpath(next));
    EXPECT_EQ(sendHead(0x902, 48), newValue);
    EXPECT_EQ(storedPath(), first) << "a failed write deletes nothing";
    EXPECT_EQ(r.in.folderBytes(), bytes);

    // Once written, the new picture takes the old one's place, on disk and in the accounting.
    ASSERT_TRUE(QDir(next).removeRecursively());
    sendHead(0x903, 48);
    EXPECT_EQ(storedPath(), next);
    EXPECT_EQ(headFiles(), 1);
    EXPECT_EQ(r.in.folderBytes(), qMax<qint64>(QFileInfo(next).size(), PictureFolderShares::kFileCost));
}

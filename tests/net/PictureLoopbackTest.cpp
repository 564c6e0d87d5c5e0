// Two engines on 127.0.0.1 exchange pictures through their sockets.
#include "LoopbackNet.h"
#include "TestEnv.h"
#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/MessengerEngine.h"
#include "net/OwnPictureServer.h"
#include "net/PicturePayload.h"
#include "net/PictureSender.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

struct Peer
{
    Peer(const QString &name, const QString &mac)
        : folder(TestEnv::freshDir(name) + QStringLiteral("/kwel"))
        , config(folder + QStringLiteral(".ini"))
        , store(folder)
        , pictures(config, store)
        , server(config, store)
    {
        EXPECT_TRUE(TestNet::openLoopback(net, mac));
        engine = std::make_unique<MessengerEngine>(config, net);
        engine->setIdentity(name, name + QStringLiteral("-pc"));
        pictures.AttachTo(*engine);
        server.AttachTo(*engine);
        QObject::connect(
            &pictures, &IncomingPictures::pictureReceived, [this](const ReceivedPicture &p) { got.append(p); });
    }
    HostKey key() const { return HostKey(engine->loginName(), engine->hostName(), 0x7F000001, net.port()); }

    QString folder;
    CConfig config;
    PictureStore store;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    IncomingPictures pictures;
    OwnPictureServer server;
    QList<ReceivedPicture> got;
};

QImage pattern(int w, int h, int seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * seed) % 256, (y * 3 + seed) % 256, (x ^ y) % 256));
    return image;
}

// Runs the event loop until done() holds or the time is up.
bool waitUntil(const std::function<bool()> &done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(10);
    return done();
}

// Each peer lists the other (pictures and their answers are for listed peers).
bool meet(Peer &a, Peer &b)
{
    a.engine->AnswerEntry(b.key(), CMD_ANNOUNCE_ENTRY);
    return waitUntil([&] {
        return a.engine->FindHost(0x7F000001, b.net.port()) && b.engine->FindHost(0x7F000001, a.net.port());
    });
}

} // namespace

TEST(PictureLoopback, LostChunksAreResentAfterAcknowledgements)
{
    Peer a(QStringLiteral("pic-a"), QStringLiteral("0A0000000001"));
    Peer b(QStringLiteral("pic-b"), QStringLiteral("0B0000000002"));
    const QImage image = pattern(80, 60, 5);
    const auto payload = PicturePayloads::EncodeBitmap(image, true, PicturePayloads::Packing::LzwBelowThreshold);
    ASSERT_TRUE(payload);
    ASSERT_TRUE(meet(a, b));
    // The message that names the picture.
    b.pictures.ClaimPictures(a.key(), { 0x4242 });

    // The first time round chunks 2 and 5 are lost on the way.
    int calls = 0;
    const PictureSender::SendFunction wire = PictureSender::NetSend(a.net, b.key());
    PictureSender sender(0x4242, payload->data, payload->kind, payload->compression, 0, 0, 256,
        [&](const QByteArray &header, QByteArrayView chunk) {
            ++calls;
            return calls == 2 || calls == 5 || wire(header, chunk);
        });
    ASSERT_GE(sender.chunkCount(), 6);
    QObject::connect(&a.pictures, &IncomingPictures::pictureChunkAcked, [&](quint32 id, qint32 n, const HostKey &from) {
        if (id == sender.id() && from.port == b.net.port())
            sender.OnAck(n);
    });

    sender.SendAll();
    ASSERT_TRUE(waitUntil([&] { return sender.ackedCount() == sender.chunkCount() - 2; }));
    EXPECT_TRUE(b.got.isEmpty());
    EXPECT_EQ(sender.SendMissing(), 2);
    ASSERT_TRUE(waitUntil([&] { return sender.IsComplete(); }));
    ASSERT_TRUE(waitUntil([&] { return b.got.size() == 1; }));
    EXPECT_EQ(b.got.first().image.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(b.got.first().sender.port, a.net.port());
    EXPECT_EQ(b.pictures.entryCount(), 0);
}

TEST(PictureLoopback, HeadPictureRequestIsAnsweredWithTheOwnPicture)
{
    Peer a(QStringLiteral("pic-c"), QStringLiteral("0C0000000003"));
    Peer b(QStringLiteral("pic-d"), QStringLiteral("0D0000000004"));
    b.config.BmpUdpSendSize = 300;
    b.store.CreateFolders();
    const QImage head = pattern(32, 32, 9);
    ASSERT_TRUE(SaveBitmapToFile(head, b.store.ownHeadPicturePath()));

    // A peer the host table does not list is not answered.
    QSignalSpy refused(b.engine.get(), &MessengerEngine::refused);
    a.net.SendToHost(b.key(), CMD_GET_PICTURE, "0");
    EXPECT_FALSE(waitUntil([&] { return !a.got.isEmpty(); }, 300));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.first().at(0).value<PeerRefusal>(), PeerRefusal::AnswerUnlisted);

    ASSERT_TRUE(meet(a, b));
    a.net.SendToHost(b.key(), CMD_GET_CUSTOM_PICTURE, "0");
    a.net.SendToHost(b.key(), CMD_GET_PICTURE, "0");
    ASSERT_TRUE(waitUntil([&] { return a.got.size() == 1; }));
    QTest::qWait(100);
    ASSERT_EQ(a.got.size(), 1) << "no custom picture is kept, so none is sent";
    // Asked again at once: not answered again within the interval.
    a.net.SendToHost(b.key(), CMD_GET_PICTURE, "0");
    EXPECT_FALSE(waitUntil([&] { return a.got.size() > 1; }, 300));
    EXPECT_EQ(refused.last().at(0).value<PeerRefusal>(), PeerRefusal::AnswerRate);
    const ReceivedPicture &p = a.got.first();
    EXPECT_EQ(p.purpose, PictureChunk::PurposeHeadPicture);
    EXPECT_EQ(p.senderMac, QStringLiteral("0D0000000004"));
    EXPECT_EQ(p.image.convertToFormat(QImage::Format_RGB32), head);
    EXPECT_EQ(QFileInfo(p.filePath).dir().dirName(), QStringLiteral("UserHeadPhoto"));
    EXPECT_TRUE(QFileInfo(p.filePath).fileName().startsWith(QStringLiteral("00D0000000004")));
    EXPECT_EQ(LoadBitmapFile(p.filePath).convertToFormat(QImage::Format_RGB32), head);
    // Stored with the size that the sender's packets announce, so that the
    // receiver does not ask for it again.
    const auto stored = a.store.FindHeadPhotoFile(0, QStringLiteral("0D0000000004"), true);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->path, p.filePath);
    EXPECT_EQ(qint64(stored->value), qint64(b.engine->ownHeader().headPictureSize));
}

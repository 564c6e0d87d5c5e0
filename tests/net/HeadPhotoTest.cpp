// The peers' stored head photos and the own pictures that the own packets
// announce.
#include "LoopbackNet.h"
#include "TestEnv.h"
#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/Lzw.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/OwnPictureServer.h"
#include "net/PacketCodec.h"
#include "net/PictureStore.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kMac = QStringLiteral("00163E0A0B0C");

QImage square(int side, QRgb colour)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(PictureStore, FindsAPeersStoredPhotosByKind)
{
    const PictureStore store(TestEnv::freshDir(QStringLiteral("photos")) + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    EXPECT_FALSE(store.FindHeadPhotoFile(0, kMac, true));
    EXPECT_EQ(store.FindHeadPhoto(kMac), 0u);

    const QString head = store.SaveHeadPhoto("BM-head", 0, kMac, 0x1234);
    const QString custom = store.SaveHeadPhoto("BM-custom", 1, kMac, 0xABCDEF01);
    ASSERT_FALSE(head.isEmpty());
    const auto found = store.FindHeadPhotoFile(0, kMac, true);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, head);
    EXPECT_EQ(found->value, 0x1234u);
    QString path;
    EXPECT_EQ(store.FindHeadPhoto(kMac, &path), 0xABCDEF01u) << "the custom picture is kind 1";
    EXPECT_EQ(path, custom);
    // The MAC text is found in either case, as the file names are.
    EXPECT_EQ(store.FindHeadPhoto(kMac.toLower()), 0xABCDEF01u);
    store.SaveHeadPhoto("BM-new", 1, kMac, 0x99);
    EXPECT_EQ(store.FindHeadPhoto(kMac, &path), 0x99u) << "the newer photo replaced the older";

    // Names that carry no value: the custom picture is found with 0, the
    // head picture is not taken; folders are never photos.
    const QDir folder(store.folderPath(PictureStore::userHeadPhoto()));
    const QString other = QStringLiteral("00163E0A0B0E");
    ASSERT_TRUE(TestEnv::writeAll(folder.filePath(QStringLiteral("1") + other + QStringLiteral("zz.bmp")), "BM"));
    ASSERT_TRUE(TestEnv::writeAll(folder.filePath(QStringLiteral("0") + other + QStringLiteral("0000zzzz.bmp")), "BM"));
    ASSERT_TRUE(folder.mkpath(QStringLiteral("0") + other + QStringLiteral("00000001.bmp")));
    EXPECT_EQ(store.FindHeadPhoto(other, &path), 0u);
    EXPECT_TRUE(path.endsWith(QStringLiteral("zz.bmp")));
    EXPECT_FALSE(store.FindHeadPhotoFile(0, other, true));
    EXPECT_TRUE(store.FindHeadPhotoFile(0, other, false));

    // A MAC text from a peer is a name pattern only when it is 12 hex digits.
    for (const QString &bad : { QStringLiteral("????????????"), QStringLiteral("../163E0A0B0C") })
        EXPECT_FALSE(store.FindHeadPhotoFile(1, bad, false)) << bad.toStdString();

    // The chat window shows the custom picture of a peer that announces one.
    HostRecord peer;
    peer.keyText = kMac;
    EXPECT_TRUE(store.ShownPhotoPath(peer).isEmpty()) << "no custom picture announced";
    peer.customPictureSize = 0x99;
    EXPECT_EQ(store.ShownPhotoPath(peer), store.HeadPhotoPath(1, kMac, 0x99));
    peer.keyText = other;
    EXPECT_TRUE(store.ShownPhotoPath(peer).isEmpty()) << "a name without a value is no stored photo";
}

TEST(OwnPictureServer, PacketsAnnounceTheHeadIconAndWhatRequestsAreAnsweredWith)
{
    const QString folder = TestEnv::freshDir(QStringLiteral("own-pictures"));
    CConfig config(folder + QStringLiteral("/kwel.ini"));
    config.FaceImage = 17;
    CNetManager net;
    ASSERT_TRUE(TestNet::openLoopback(net, kMac));
    MessengerEngine engine(config, net);
    const PictureStore store(folder + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    auto server = std::make_unique<OwnPictureServer>(config, store);
    server->AttachTo(engine);

    OwnHeader own = engine.ownHeader();
    EXPECT_EQ(own.headIcon, 17);
    EXPECT_EQ(own.headPictureSize, 0);
    EXPECT_EQ(own.customPictureSize, 0);

    const QImage head = square(40, qRgb(200, 30, 30));
    ASSERT_TRUE(SaveBitmapToFile(head, store.ownHeadPicturePath()));
    own = engine.ownHeader();
    const QByteArray payload = server->Payload(PictureChunk::PurposeHeadPicture);
    ASSERT_FALSE(payload.isEmpty());
    EXPECT_EQ(own.headPictureSize, payload.size());
    EXPECT_EQ(own.customPictureSize, 0);
    EXPECT_EQ(payload, LzwCompressGlobal(BitmapToDib(LoadBitmapFile(store.ownHeadPicturePath()), {}, 0)));
    // The header on the wire carries them.
    PacketRecord parsed;
    ASSERT_EQ(PacketCodec::ParsePacket(net.BuildPacket(7, 1, "me"), 0x7F000001, 2425, parsed), PacketStatus::Ok);
    EXPECT_EQ(parsed.headIcon, 17);
    EXPECT_EQ(parsed.headPictureSize, payload.size());

    // A changed file is announced with its new size; a removed one no more.
    QTest::qWait(20);
    ASSERT_TRUE(SaveBitmapToFile(square(96, qRgb(1, 2, 3)).convertToFormat(QImage::Format_Indexed8),
        store.ownCustomPicturePath()));
    own = engine.ownHeader();
    EXPECT_EQ(own.customPictureSize, server->Payload(PictureChunk::PurposeCustomPicture).size());
    EXPECT_GT(own.customPictureSize, 0);
    QFile::remove(store.ownHeadPicturePath());
    EXPECT_EQ(engine.ownHeader().headPictureSize, 0);
    // A file that is no picture is announced as none.
    ASSERT_TRUE(TestEnv::writeAll(store.ownHeadPicturePath(), "not a bitmap"));
    EXPECT_EQ(engine.ownHeader().headPictureSize, 0);

    // Without the server the engine announces none.
    server.reset();
    EXPECT_EQ(engine.ownHeader().customPictureSize, 0);
}

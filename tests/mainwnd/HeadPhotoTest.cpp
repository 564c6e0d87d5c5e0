// Peers' head photos in the head-icon lists and the head-icon correction.
#include "TestEnv.h"
#include "controls/HeadIcons.h"
#include "core/BmpFile.h"
#include "mainwnd/HeadImage.h"
#include "net/HostRecord.h"
#include "net/PictureStore.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QByteArray bmpOf(const QImage &image)
{
    const QString path = TestEnv::freshDir(QStringLiteral("bmp")) + QStringLiteral("/p.bmp");
    EXPECT_TRUE(SaveBitmapToFile(image, path));
    return TestEnv::readAll(path);
}

QImage filled(int side, QRgb colour)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(HeadImage, PhotosJoinTheListsOnceAndLeaveWithTheViews)
{
    const PictureStore store(TestEnv::freshDir(QStringLiteral("head-lists")) + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    const QString mac = QStringLiteral("0A0B0C0D0E01");
    HeadImage::DropHeadPhotos();
    quint32 value = 7;
    EXPECT_EQ(HeadImage::LoadHeadPhoto(store, mac, &value), 0);
    EXPECT_EQ(value, 0u);

    // A red photo with a white corner: 32 × 32 with white transparent, the
    // 16 × 16 copy with black transparent.
    QImage photo = filled(64, qRgb(220, 20, 20));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            photo.setPixel(x, y, qRgb(255, 255, 255));
    store.SaveHeadPhoto(bmpOf(photo), 0, mac, 0x321);
    const int image = HeadImage::LoadHeadPhoto(store, mac, &value);
    EXPECT_EQ(image, HeadImage::kImageCount);
    EXPECT_EQ(value, 0x321u);
    EXPECT_EQ(HeadIconCount(), HeadImage::kImageCount + 1);
    const QImage large = HeadIconPixmap(image, 32).toImage();
    EXPECT_EQ(qAlpha(large.pixel(2, 2)), 0) << "white is transparent in the large list";
    EXPECT_EQ(QColor(large.pixel(28, 28)).red(), 220);

    // The same file again is the same image: refreshes do not grow the lists.
    EXPECT_EQ(HeadImage::LoadHeadPhoto(store, mac), image);
    EXPECT_EQ(HeadIconCount(), HeadImage::kImageCount + 1);
    // A new photo of the peer is a new image.
    QTest::qWait(20);
    store.SaveHeadPhoto(bmpOf(filled(20, qRgb(0, 0, 250))), 0, mac, 0x400);
    const int second = HeadImage::LoadHeadPhoto(store, mac, &value);
    EXPECT_EQ(second, image + 1);
    EXPECT_EQ(value, 0x400u);

    // A photo that is no bitmap is not loaded.
    const QString broken = QStringLiteral("0A0B0C0D0E02");
    store.SaveHeadPhoto("BM but nothing more", 0, broken, 0x10);
    EXPECT_EQ(HeadImage::LoadHeadPhoto(store, broken, &value), 0);
    EXPECT_EQ(value, 0u);

    HeadImage::DropHeadPhotos();
    EXPECT_EQ(HeadIconCount(), HeadImage::kImageCount);
    EXPECT_EQ(HeadIconPixmap(second, 16).toImage(), HeadIconPixmap(1, 16).toImage()) << "gone from the lists";
}

TEST(HeadImage, CorrectionTakesTheStoredPhotoOrAValidIcon)
{
    const PictureStore store(TestEnv::freshDir(QStringLiteral("head-correction")) + QStringLiteral("/kwel"));
    ASSERT_TRUE(store.CreateFolders());
    HeadImage::DropHeadPhotos();
    HostRecord host;
    host.extension = 1;
    host.keyText = QStringLiteral("0A0B0C0D0E03");

    // No head picture announced: only the icon is checked.
    host.headIcon = 12;
    EXPECT_EQ(HeadImage::CorrectHeadIcon(host, store), 0u);
    EXPECT_EQ(host.headIcon, 12);
    EXPECT_EQ(host.previousHeadIcon, 12);
    host.headIcon = 84;
    HeadImage::CorrectHeadIcon(host, store);
    EXPECT_EQ(host.headIcon, 0);
    EXPECT_EQ(host.previousHeadIcon, 0);

    // Announced but not stored: a bad icon becomes 0, the previous one stays.
    host.headPictureSize = 0x200;
    host.previousHeadIcon = 4;
    host.headIcon = -3;
    EXPECT_EQ(HeadImage::CorrectHeadIcon(host, store), 0u);
    EXPECT_EQ(host.headIcon, 0);
    EXPECT_EQ(host.previousHeadIcon, 4);
    EXPECT_EQ(HeadImage::ForHost(host), 1);

    // Stored: the photo is the image, the announced icon the fallback.
    store.SaveHeadPhoto(bmpOf(filled(32, qRgb(9, 9, 9))), 0, host.keyText, 0x200);
    host.headIcon = 6;
    EXPECT_EQ(HeadImage::CorrectHeadIcon(host, store), 0x200u);
    EXPECT_EQ(HeadImage::ForHost(host), HeadImage::kImageCount);
    EXPECT_EQ(host.previousHeadIcon, 6);
    EXPECT_EQ(HeadImage::CorrectHeadIcon(host, store), 0x200u) << "again, as on every refresh";
    EXPECT_EQ(host.previousHeadIcon, 6);
    EXPECT_EQ(HeadImage::ForHost(host), HeadImage::kImageCount);
    // Once the lists are cut back, the icon shows again.
    HeadImage::DropHeadPhotos();
    EXPECT_EQ(HeadImage::ForHost(host), 7);
}

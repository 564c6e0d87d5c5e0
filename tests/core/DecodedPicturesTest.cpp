#include "TestEnv.h"
#include "core/DecodedPictures.h"
#include "core/PictureLimits.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString writePicture(const QString &dir, const QString &name, int side, QRgb colour)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir + QLatin1Char('/') + name;
    return image.save(path, "BMP") ? path : QString();
}

} // namespace

// One bitmap per file while it is unchanged; bitmaps nobody else holds go
// least recently used first beyond the budget, those still held stay and are
// handed out again; a file written anew is read anew.
TEST(DecodedPictures, OneBitmapPerFileWithinABudget)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("decoded-pictures"));
    const qint64 oneBitmap = 100 * 100 * 4 + DecodedPictures::kEntryOverhead;
    DecodedPictures cache(2 * oneBitmap);
    QStringList paths;
    for (int i = 0; i < 4; ++i)
        paths.append(writePicture(dir, QStringLiteral("%1.bmp").arg(i), 100, qRgb(i, 0, 0)));

    const QImage held = cache.Shown(paths[0]);
    ASSERT_FALSE(held.isNull());
    EXPECT_EQ(cache.Shown(paths[0]).cacheKey(), held.cacheKey());
    EXPECT_EQ(cache.reads(), 1);
    EXPECT_TRUE(cache.Shown(dir + QStringLiteral("/missing.bmp")).isNull());

    // Three more nobody holds: only two fit besides the held one.
    for (int i = 1; i < 4; ++i)
        cache.Shown(paths[i]);
    EXPECT_EQ(cache.Shown(paths[0]).cacheKey(), held.cacheKey()) << "a held bitmap is never read twice";
    EXPECT_EQ(cache.count(), 3);
    cache.Shown(paths[1]); // the one that went: read again
    EXPECT_EQ(cache.reads(), 5);

    // A bitmap just received and written is remembered, not read.
    QImage received(50, 50, QImage::Format_RGB32);
    received.fill(Qt::blue);
    const QString stored = dir + QStringLiteral("/stored.bmp");
    ASSERT_TRUE(received.save(stored, "BMP"));
    cache.Remember(stored, received);
    EXPECT_EQ(cache.Shown(stored).cacheKey(), received.cacheKey());
    EXPECT_EQ(cache.reads(), 5);

    // Written anew under the same name: another picture.
    QFile::remove(paths[0]);
    ASSERT_FALSE(writePicture(dir, QStringLiteral("0.bmp"), 60, qRgb(9, 9, 9)).isEmpty());
    EXPECT_EQ(cache.Shown(paths[0]).width(), 60);
}

// A picture is held no larger than a window shows it, keeping its shape;
// the bitmaps held stay within their budget: beyond it a picture is not
// handed out, and, when the file tells its size, not even decoded, until a
// holder lets go.
TEST(DecodedPictures, ShownScaledDownAndHeldWithinABudget)
{
    EXPECT_EQ(ShownPictureSize(QSize(7680, 2160)), QSize(1920, 540));
    EXPECT_EQ(ShownPictureSize(QSize(800, 600)), QSize(800, 600));
    const QSize tall = ShownPictureSize(QSize(1000, 16000));
    EXPECT_LE(qint64(tall.width()) * tall.height(), kShownPicturePixels);
    EXPECT_NEAR(double(tall.height()) / tall.width(), 16.0, 0.1);

    const QString dir = TestEnv::freshDir(QStringLiteral("decoded-held"));
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        QImage wide(3840, 1080, QImage::Format_RGB32);
        wide.fill(qRgb(i, 40, 80));
        paths.append(dir + QStringLiteral("/wide%1.bmp").arg(i));
        ASSERT_TRUE(wide.save(paths.last(), "BMP"));
    }
    const qint64 oneShown = 1920 * 540 * 4 + DecodedPictures::kEntryOverhead;
    DecodedPictures cache(0, 2 * oneShown);

    bool deferred = true;
    QImage first = cache.Shown(paths[0], &deferred);
    EXPECT_FALSE(deferred);
    EXPECT_EQ(first.size(), QSize(1920, 540));
    EXPECT_EQ(first.pixel(100, 100), qRgb(0, 40, 80));
    const QImage second = cache.Shown(paths[1], &deferred);
    EXPECT_FALSE(second.isNull());
    EXPECT_EQ(cache.heldBytes(), 2 * oneShown);

    EXPECT_TRUE(cache.Shown(paths[2], &deferred).isNull());
    EXPECT_TRUE(deferred) << "beyond the budget";
    EXPECT_EQ(cache.reads(), 2) << "its size known from the file, it was not decoded";
    EXPECT_EQ(cache.Shown(paths[0], &deferred).cacheKey(), first.cacheKey()) << "a held one is handed out again";
    EXPECT_FALSE(deferred);

    first = QImage(); // its window let go
    EXPECT_FALSE(cache.Shown(paths[2], &deferred).isNull());
    EXPECT_FALSE(deferred);
    EXPECT_LE(cache.heldBytes(), 2 * oneShown);
    EXPECT_TRUE(cache.Shown(dir + QStringLiteral("/missing.bmp"), &deferred).isNull());
    EXPECT_FALSE(deferred) << "a missing file is not a picture waiting for room";

    // A bitmap remembered is kept as shown.
    QImage received(7680, 2160, QImage::Format_RGB32);
    received.fill(Qt::blue);
    QImage small(10, 10, QImage::Format_RGB32);
    small.fill(Qt::blue);
    const QString stored = dir + QStringLiteral("/received.bmp");
    ASSERT_TRUE(small.save(stored, "BMP"));
    DecodedPictures roomy;
    roomy.Remember(stored, received);
    EXPECT_EQ(roomy.Shown(stored).size(), QSize(1920, 540));
    EXPECT_EQ(roomy.reads(), 0);
}

#include "TestEnv.h"
#include "core/DecodedPictures.h"

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

    const QImage held = cache.Picture(paths[0]);
    ASSERT_FALSE(held.isNull());
    EXPECT_EQ(cache.Picture(paths[0]).cacheKey(), held.cacheKey());
    EXPECT_EQ(cache.reads(), 1);
    EXPECT_TRUE(cache.Picture(dir + QStringLiteral("/missing.bmp")).isNull());

    // Three more nobody holds: only two fit besides the held one.
    for (int i = 1; i < 4; ++i)
        cache.Picture(paths[i]);
    EXPECT_EQ(cache.Picture(paths[0]).cacheKey(), held.cacheKey()) << "a held bitmap is never read twice";
    EXPECT_EQ(cache.count(), 3);
    cache.Picture(paths[1]); // the one that went: read again
    EXPECT_EQ(cache.reads(), 5);

    // A bitmap just received and written is remembered, not read.
    QImage received(50, 50, QImage::Format_RGB32);
    received.fill(Qt::blue);
    const QString stored = dir + QStringLiteral("/stored.bmp");
    ASSERT_TRUE(received.save(stored, "BMP"));
    cache.Remember(stored, received);
    EXPECT_EQ(cache.Picture(stored).cacheKey(), received.cacheKey());
    EXPECT_EQ(cache.reads(), 5);

    // Written anew under the same name: another picture.
    QFile::remove(paths[0]);
    ASSERT_FALSE(writePicture(dir, QStringLiteral("0.bmp"), 60, qRgb(9, 9, 9)).isEmpty());
    EXPECT_EQ(cache.Picture(paths[0]).width(), 60);
}

#include "controls/CGifStatic.h"
#include "TestEnv.h"

#include <QMovie>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A 2 x 2 GIF of two frames, red then blue, 30 ms each, looping.
const QByteArray kTwoFrames(
    "\x47\x49\x46\x38\x39\x61\x02\x00\x02\x00\x91\x00\x00\xFF\x00\x00\x00\x00\xFF\x00\x00\x00\x00\x00"
    "\x00\x21\xFF\x0B\x4E\x45\x54\x53\x43\x41\x50\x45\x32\x2E\x30\x03\x01\x00\x00\x00\x21\xF9\x04\x00"
    "\x03\x00\x00\x00\x2C\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x04\x04\x41\x10\x05\x00\x21\xF9\x04"
    "\x00\x03\x00\x00\x00\x2C\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x04\x0C\xC3\x30\x05\x00\x3B",
    95);

QRgb colour(const CGifStatic &control)
{
    return control.CurrentImage().pixel(0, 0) & 0xFFFFFF;
}

} // namespace

TEST(CGifStatic, AnimatesGifsAndShowsOtherPictures)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("gifstatic"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/a.gif"), kTwoFrames));
    CGifStatic control;
    ASSERT_TRUE(control.LoadFromFile(dir + QStringLiteral("/a.gif")));
    EXPECT_EQ(control.size(), QSize(2, 2));
    EXPECT_EQ(colour(control), 0xFF0000u);
    EXPECT_FALSE(control.IsAnimating());
    control.Draw();
    EXPECT_TRUE(control.IsAnimating());
    EXPECT_TRUE(QTest::qWaitFor([&] { return colour(control) == 0x0000FFu; }, 2000));
    control.UnLoad();
    EXPECT_TRUE(control.CurrentImage().isNull());

    // A still picture, a fixed size, a missing file, an image-list entry.
    QImage still(40, 10, QImage::Format_RGB32);
    still.fill(Qt::green);
    ASSERT_TRUE(still.save(dir + QStringLiteral("/b.png")));
    control.SetFixedSize(20, 20);
    ASSERT_TRUE(control.LoadFromFile(dir + QStringLiteral("/b.png")));
    EXPECT_EQ(control.size(), QSize(20, 20));
    EXPECT_EQ(control.grab().toImage().pixel(10, 10) & 0xFFFFFF, 0x00FF00u); // scaled into the middle
    EXPECT_FALSE(control.LoadFromFile(dir + QStringLiteral("/none.gif")));
    control.SetImageListImage({ still }, 0);
    EXPECT_EQ(control.CurrentImage(), still);
    control.SetImageListImage({ still }, 1);
    EXPECT_TRUE(control.CurrentImage().isNull());
}

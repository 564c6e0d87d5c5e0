#include "core/SaveFileChoice.h"

#include <gtest/gtest.h>

TEST(SaveFileChoice, ANameWithoutAKeptExtensionGetsTheDefault)
{
    const SaveFileType any{ QStringLiteral("kcf"), {} };
    EXPECT_EQ(WithSaveExtension(QStringLiteral("/t/faces"), any), QStringLiteral("/t/faces.kcf"));
    EXPECT_EQ(WithSaveExtension(QStringLiteral("/t/faces.bak"), any), QStringLiteral("/t/faces.bak"));
    EXPECT_EQ(WithSaveExtension(QStringLiteral("/t.d/faces"), any), QStringLiteral("/t.d/faces.kcf"))
        << "a dot in a folder is no extension";

    const SaveFileType still = StillPictureFile();
    EXPECT_EQ(WithSaveExtension(QStringLiteral("a.JPG"), still), QStringLiteral("a.JPG"));
    EXPECT_EQ(WithSaveExtension(QStringLiteral("a.bmp"), still), QStringLiteral("a.bmp"));
    EXPECT_EQ(WithSaveExtension(QStringLiteral("a.png"), still), QStringLiteral("a.png.bmp"))
        << "only what can be written is kept";
}

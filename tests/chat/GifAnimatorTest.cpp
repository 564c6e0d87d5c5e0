#include "chat/GifAnimator.h"
#include "ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"

#include <QMovie>
#include <QSignalSpy>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QRgb shownColour(const CMsgRichEdit &edit, int objectIndex)
{
    const QList<RichEditObject> objects = ListObjects(edit.document());
    const QImage frame = edit.document()
                             ->resource(QTextDocument::ImageResource, QUrl(objects.value(objectIndex).imageName))
                             .value<QImage>();
    return frame.isNull() ? 0 : frame.pixel(0, 0) & 0xFFFFFF;
}

} // namespace

TEST(GifAnimator, AnimatedPictureAdvancesFramesAndSharesOneMovie)
{
    const QString path = TestEnv::freshDir(QStringLiteral("anim")) + QStringLiteral("/two.gif");
    ASSERT_TRUE(ChatTest::writeGif(path, { QColor(255, 0, 0), QColor(0, 0, 255) }, 8, 8, 3));

    CMsgRichEdit edit;
    edit.resize(200, 100);
    edit.show();
    edit.InsertTextWithFaces(u"动画", 0);
    edit.InsertAnimatedPicture(path, 0x900);
    edit.InsertAnimatedPicture(path, 0x901);
    CMsgRichEdit other;
    other.InsertAnimatedPicture(path, 0x902);

    QMovie *movie = edit.Animator()->movieFor(path);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie, other.Animator()->movieFor(path)); // one movie per file
    EXPECT_EQ(movie->frameCount(), 2);

    // Both objects show the same, changing frame; only their rectangles are reported.
    QSignalSpy changed(edit.Animator(), &GifAnimator::objectsChanged);
    QSet<QRgb> seen;
    for (int i = 0; i < 40 && seen.size() < 2; ++i) {
        ASSERT_TRUE(changed.wait(1000));
        seen.insert(shownColour(edit, 1));
        EXPECT_EQ(shownColour(edit, 0), shownColour(edit, 1));
    }
    EXPECT_EQ(seen, QSet<QRgb>({ 0xFF0000, 0x0000FF }));
    const QList<QRectF> rects = changed.last().at(0).value<QList<QRectF>>();
    ASSERT_EQ(rects.size(), 2);
    EXPECT_EQ(rects[0].width(), 8);
    EXPECT_LT(rects[1].left(), rects[0].left()); // reported last object first, to the right
    EXPECT_LT(rects[0].right(), 100);

    // Deleting an object stops its reports; deleting all lets the movie go.
    QTextCursor cursor(edit.document());
    cursor.setPosition(2);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    changed.clear();
    ASSERT_TRUE(changed.wait(1000) || edit.Animator()->movieFor(path) == nullptr);
    EXPECT_EQ(edit.Animator()->movieFor(path), nullptr);
    EXPECT_NE(other.Animator()->movieFor(path), nullptr);
}

namespace {

// A GIF whose logical screen is width x height, with `frames` frames of one
// pixel each: a few bytes a frame, each drawn on the whole screen.
QByteArray manyFramesGif(int width, int height, int frames)
{
    QByteArray out = QByteArrayLiteral("GIF89a");
    const auto put16 = [&](int v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    put16(width);
    put16(height);
    out.append(QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9)); // two colours
    for (int f = 0; f < frames; ++f) {
        out.append(QByteArray("\x21\xF9\x04\x00\x02\x00\x00\x00", 8));
        out.append(char(0x2C));
        put16(f % width);
        put16(0);
        put16(1);
        put16(1);
        out.append('\0');
        out.append(QByteArray("\x02\x02\x44\x01\x00", 5)); // clear, pixel 0, end
    }
    out.append(char(0x3B));
    return out;
}

} // namespace

// A GIF of many frames on a large screen plays without keeping its frames
// decoded; a small one keeps them.
TEST(GifAnimator, ManyLargeFramesAreNotAllKeptDecoded)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("anim-frames"));
    const QString large = dir + QStringLiteral("/large.gif");
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(manyFramesGif(2000, 1000, 200)); // 1.6 GB if every frame were kept
    file.close();
    const QString small = dir + QStringLiteral("/small.gif");
    ASSERT_TRUE(ChatTest::writeGif(small, { Qt::red, Qt::blue }, 8, 8, 3));

    CMsgRichEdit edit;
    edit.InsertAnimatedPicture(large, 0x910);
    edit.InsertAnimatedPicture(small, 0x911);
    QMovie *movie = edit.Animator()->movieFor(large);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->frameCount(), 200);
    EXPECT_EQ(movie->cacheMode(), QMovie::CacheNone);
    ASSERT_NE(edit.Animator()->movieFor(small), nullptr);
    EXPECT_EQ(edit.Animator()->movieFor(small)->cacheMode(), QMovie::CacheAll);
}

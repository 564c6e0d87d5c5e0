#include "ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "core/DecodedPictures.h"
#include "chat/HistoryText.h"
#include "chat/InsertFaceById.h"
#include "chat/RichEditObjects.h"
#include "net/PictureStore.h"
#include "chat/faces/FaceImages.h"
#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"
#include "net/PeerBounds.h"

#include <QDir>
#include <QMovie>
#include <QTextDocument>
#include <QUrl>
#include "chat/GifAnimator.h"
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString marked(const CMsgRichEdit &edit, QList<quint32> *ids = nullptr, bool selection = false)
{
    QString text;
    QList<quint32> found;
    edit.GetTextWithMarkers(text, found, selection);
    if (ids)
        *ids = found;
    return text;
}

int placeholderCount(const CMsgRichEdit &edit, quint32 id)
{
    int count = 0;
    for (const RichEditObject &object : ListObjects(edit.document()))
        count += object.placeholder && object.userValue == id;
    return count;
}

// The bitmap a document shows for the first object with the id.
QImage shownBitmap(const CMsgRichEdit &edit, quint32 id)
{
    for (const RichEditObject &object : ListObjects(edit.document())) {
        if (object.userValue == id)
            return edit.document()->resource(QTextDocument::ImageResource, QUrl(object.imageName)).value<QImage>();
    }
    return {};
}

std::optional<RichEditObject> objectOf(const CMsgRichEdit &edit, quint32 id)
{
    for (const RichEditObject &object : ListObjects(edit.document())) {
        if (object.userValue == id)
            return object;
    }
    return std::nullopt;
}

class MsgRichEditTest : public ::testing::Test
{
protected:
    void SetUp() override { PictureStore::SetProgramFolder(TestEnv::freshDir(QStringLiteral("richedit")) + QStringLiteral("/kwel")); }
    void TearDown() override { PictureStore::SetProgramFolder(QString()); }
    CMsgRichEdit edit;
};

} // namespace

TEST_F(MsgRichEditTest, MarkersLandAtTheObjectsAfterChineseTextAndLineBreaks)
{
    const QImage picture = ChatTest::patternImage(30, 20, qRgb(10, 20, 30));
    edit.InsertTextWithFaces(u"你好\r\n世界", 0);
    edit.InsertFace(0, 0);
    edit.InsertPicture(picture, 0x3e8);
    edit.InsertTextWithFaces(u"尾\n再", 0);
    edit.InsertPicture(picture, 0x3e9);

    QList<quint32> ids;
    EXPECT_EQ(marked(edit, &ids), u"你好\r\n世界/:)/~#>000003e8<B~尾\r\n再/~#>000003e9<B~");
    EXPECT_EQ(ids, QList<quint32>({ 0x3e8, 0x3e9 }));

    // From after "你" to before the last picture; a selection ends lines in "\r".
    QTextCursor cursor(edit.document());
    cursor.setPosition(1);
    cursor.setPosition(edit.document()->characterCount() - 2, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    EXPECT_EQ(marked(edit, &ids, true), u"好\r世界/:)/~#>000003e8<B~尾\r再");
    EXPECT_EQ(ids, QList<quint32>({ 0x3e8 }));

    // Just the first picture.
    cursor.setPosition(6);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    EXPECT_EQ(marked(edit, &ids, true), u"/~#>000003e8<B~");
    EXPECT_TRUE(edit.IsSinglePictureSelected());
    EXPECT_TRUE(edit.IsSingleStaticPictureSelected());
}

TEST_F(MsgRichEditTest, FacesPicturesAndPlaceholdersReadBackAsTheirTokens)
{
    QImage picture = ChatTest::patternImage(24, 24, qRgb(1, 2, 3));
    edit.InsertPicture(picture, 0x3e8);
    edit.InsertTextWithFaces(u" and ", 0);
    edit.InsertPicture(picture, 0x3e8);
    QList<quint32> ids;
    EXPECT_EQ(marked(edit, &ids), u"/~#>000003e8<B~ and /~#>000003e8<B~");
    EXPECT_EQ(ids, QList<quint32>({ 0x3e8 })); // two markers, one id

    edit.ReplaceAllText(QString());
    // Faces 83..95 and the special tokens are faces too, whatever their number.
    edit.InsertFace(83, 0);
    edit.InsertFace(95, 0);
    edit.InsertFace(kFaceProgramLine, 0);
    edit.InsertFace(120, 0); // no such face: nothing
    EXPECT_EQ(marked(edit, &ids), u"/:share/nan/<V>");
    EXPECT_TRUE(ids.isEmpty());

    // "/<NF>" with a picture id keeps the id; a marker keeps its own id and kind.
    edit.ReplaceAllText(QString());
    edit.InsertTextWithFaces(u"x/<NF>y", 0x1234);
    edit.InsertTextWithFaces(u"/~#>0000abcd<G~/:)", 0);
    EXPECT_EQ(marked(edit, &ids), u"x/~#>00001234<B~y/~#>0000abcd<G~/:)");
    EXPECT_EQ(ids, QList<quint32>({ 0x1234, 0xabcd }));
    EXPECT_EQ(placeholderCount(edit, 0x1234), 1);
    EXPECT_EQ(placeholderCount(edit, 0xabcd), 1);

    // Peer text goes in as text, never as markup.
    edit.ReplaceAllText(QString());
    edit.InsertTextWithFaces(u"<b>bold</b>&amp;\uFFFC", 0);
    EXPECT_EQ(edit.toPlainText(), u"<b>bold</b>&amp;\uFFFD");
    EXPECT_TRUE(ListObjects(edit.document()).isEmpty());
}

TEST_F(MsgRichEditTest, PlaceholdersAreReplacedOnceEachAndOnlyWhenFlagged)
{
    // A real picture of face size with the same id is not a placeholder.
    const QImage faceSized = ChatTest::patternImage(kFaceImageSide, kFaceImageSide, qRgb(50, 60, 70));
    edit.InsertPicture(faceSized, 0x5000);
    edit.InsertTextWithFaces(u"/<RB>", 0x5000);
    edit.InsertTextWithFaces(u"text/<NF>", 0x5000);
    edit.InsertTextWithFaces(u"/<RB>", 0x6000);
    EXPECT_EQ(placeholderCount(edit, 0x5000), 2);

    // No picture yet: each placeholder becomes "/<NF>" once, still replaceable.
    EXPECT_TRUE(edit.ReplacePicturePlaceholder(0x5000, QImage()));
    EXPECT_EQ(placeholderCount(edit, 0x5000), 2);

    const QImage arrived = ChatTest::patternImage(40, 30, qRgb(200, 100, 0));
    EXPECT_TRUE(edit.ReplacePicturePlaceholder(0x5000, arrived));
    EXPECT_EQ(placeholderCount(edit, 0x5000), 0);
    EXPECT_FALSE(edit.ReplacePicturePlaceholder(0x5000, arrived));
    EXPECT_EQ(placeholderCount(edit, 0x6000), 1);

    int pictures = 0;
    for (const RichEditObject &object : ListObjects(edit.document()))
        pictures += object.kind == ObjectKind::Picture && object.userValue == 0x5000;
    EXPECT_EQ(pictures, 3);
    EXPECT_EQ(marked(edit), u"/~#>00005000<B~/~#>00005000<B~text/~#>00005000<B~/~#>00006000<B~");
    bool animated = true;
    EXPECT_TRUE(ChatTest::sameRgb(edit.GetPictureBitmap(0x5000, animated), faceSized));
    EXPECT_FALSE(animated);

    // By file: a GIF becomes an animated picture, a missing file "/<NF>".
    const QString gif = TestEnv::freshDir(QStringLiteral("gifs")) + QStringLiteral("/a.gif");
    ASSERT_TRUE(ChatTest::writeGif(gif, { Qt::red, Qt::blue }));
    EXPECT_TRUE(edit.ReplacePlaceholderByFile(0x6000, gif));
    EXPECT_TRUE(marked(edit).endsWith(u"/~#>00006000<G~"));
    EXPECT_TRUE(edit.GetPictureBitmap(0x6000, animated).isNull());
    EXPECT_TRUE(animated);
    edit.InsertTextWithFaces(u"/<RB>", 0x7000);
    EXPECT_TRUE(edit.ReplacePlaceholderByFile(0x7000, gif + QStringLiteral(".missing")));
    EXPECT_EQ(placeholderCount(edit, 0x7000), 1);
}

// A picture that arrives after its message keeps a reader at the end of the
// history at the end; a reader further up is not moved.
TEST_F(MsgRichEditTest, ALatePictureKeepsTheEndInView)
{
    edit.resize(300, 200);
    edit.show();
    QScrollBar *bar = edit.verticalScrollBar();
    for (int i = 0; i < 30; ++i)
        edit.InsertTextWithFaces(QStringLiteral("第%1行\n").arg(i), 0);
    edit.InsertTextWithFaces(u"/<RB>\n", 0x8000);
    edit.InsertTextWithFaces(u"/<RB>", 0x8001);
    bar->setValue(bar->maximum());
    const int before = bar->maximum();

    EXPECT_TRUE(edit.ReplacePicturePlaceholder(0x8000, ChatTest::patternImage(120, 150, qRgb(10, 20, 30))));
    EXPECT_GT(bar->maximum(), before);
    EXPECT_EQ(bar->value(), bar->maximum());

    // By file too (the received-picture path).
    const QString gif = TestEnv::freshDir(QStringLiteral("late-gif")) + QStringLiteral("/b.gif");
    ASSERT_TRUE(ChatTest::writeGif(gif, { Qt::red, Qt::blue }, 100, 120));
    const int beforeGif = bar->maximum();
    EXPECT_TRUE(edit.ReplacePlaceholderByFile(0x8001, gif));
    EXPECT_GT(bar->maximum(), beforeGif);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Scrolled up: the view stays where the reader put it.
    edit.InsertTextWithFaces(u"/<RB>", 0x8002);
    bar->setValue(bar->maximum());
    bar->setValue(10);
    EXPECT_TRUE(edit.ReplacePicturePlaceholder(0x8002, ChatTest::patternImage(120, 150, qRgb(1, 2, 3))));
    EXPECT_EQ(bar->value(), 10);
}

// A history filled while its window is hidden, and scrolled to its end
// before the window shows, is at its end once shown; resizing keeps it there
// unless the reader scrolled away.
TEST_F(MsgRichEditTest, AHistoryAtItsEndStaysThereWhenShownOrResized)
{
    edit.SetViewMode(CMsgRichEdit::HistoryView);
    QScrollBar *bar = edit.verticalScrollBar();
    for (int i = 0; i < 60; ++i)
        edit.InsertTextWithFaces(QStringLiteral("第%1行\n").arg(i), 0);
    bar->setValue(bar->maximum());
    edit.resize(300, 200);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    edit.resize(300, 120);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    edit.resize(300, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(MsgRichEditTest, PicturesFromFilesAndTheFaceFolders)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("files"));
    const QImage picture = ChatTest::patternImage(12, 9, qRgb(0, 90, 180));
    ASSERT_TRUE(picture.save(dir + QStringLiteral("/p.bmp")));
    edit.InsertPictureFile(dir + QStringLiteral("/p.bmp"), 0x100);
    edit.InsertPictureFile(dir + QStringLiteral("/none.bmp"), 0x101);
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/bad.gif"), QByteArrayLiteral("not a picture")));
    edit.InsertAnimatedPicture(dir + QStringLiteral("/bad.gif"), 0x102);
    ASSERT_TRUE(ChatTest::writeGif(FaceFolderPath(kRecvFaceFolder) + QStringLiteral("/00000103.gif"), { Qt::green }));
    edit.InsertCustomFace(0x103);
    edit.InsertCustomFace(0x104);

    const QList<RichEditObject> objects = ListObjects(edit.document());
    ASSERT_EQ(objects.size(), 5);
    EXPECT_EQ(objects[0].kind, ObjectKind::Picture);
    EXPECT_TRUE(objects[1].placeholder);
    EXPECT_TRUE(objects[2].placeholder);
    EXPECT_EQ(objects[3].kind, ObjectKind::CustomFace);
    EXPECT_TRUE(objects[4].placeholder);
    bool animated = false;
    EXPECT_TRUE(ChatTest::sameRgb(edit.GetPictureBitmap(0x100, animated), picture));
    EXPECT_EQ(marked(edit), u"/~#>00000100<B~/~#>00000101<B~/~#>00000102<B~/~#>00000103<G~/~#>00000104<B~");
}

// A picture named many times in a message is read once and held once; the
// markers beyond the count of one message show as their text.
TEST_F(MsgRichEditTest, OnePictureNamedManyTimesIsHeldOnce)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("shared"));
    const QImage picture = ChatTest::patternImage(40, 30, qRgb(10, 20, 30));
    ASSERT_TRUE(picture.save(dir + QStringLiteral("/00000200.bmp")));
    for (int i = 0; i < 20; ++i)
        edit.InsertPictureFile(dir + QStringLiteral("/00000200.bmp"), 0x200);
    QSet<QString> resources;
    for (const RichEditObject &object : ListObjects(edit.document()))
        resources.insert(object.imageName);
    EXPECT_EQ(ListObjects(edit.document()).size(), 20);
    EXPECT_EQ(resources.size(), 1) << "one bitmap for every copy";

    CMsgRichEdit history;
    history.SetViewMode(CMsgRichEdit::HistoryView);
    int inserted = 0;
    RenderHistoryText(&history, ChatFont(), QString(PictureMarker(0x300, false)).repeated(PeerBounds::kPicturesPerMessage + 5),
        [&](quint32, bool) { ++inserted; });
    EXPECT_EQ(inserted, PeerBounds::kPicturesPerMessage);
    EXPECT_EQ(history.toPlainText().count(QStringLiteral("/~#>00000300<B~")), 5);
}

// A stored picture named by many windows, and by markers beyond what one
// edit used to keep, is read once and shared by every document: a window
// full of other pictures does not make it a second copy.
TEST_F(MsgRichEditTest, AStoredPictureIsOneBitmapForEveryWindow)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("shared-windows"));
    const QString big = dir + QStringLiteral("/00000400.bmp");
    ASSERT_TRUE(ChatTest::patternImage(300, 200, qRgb(1, 2, 3)).save(big));
    QStringList tiny;
    for (int i = 0; i < 130; ++i) {
        tiny.append(dir + QStringLiteral("/%1.bmp").arg(0x500 + i, 8, 16, QLatin1Char('0')));
        ASSERT_TRUE(ChatTest::patternImage(4, 4, qRgb(i, 0, 0)).save(tiny.last()));
    }
    const qint64 readsBefore = DecodedPictures::Shared().reads();
    std::vector<std::unique_ptr<CMsgRichEdit>> windows;
    QSet<qint64> bitmaps;
    for (int w = 0; w < 5; ++w) {
        windows.push_back(std::make_unique<CMsgRichEdit>());
        CMsgRichEdit &view = *windows.back();
        for (int round = 0; round < 3; ++round) {
            view.InsertPictureFile(big, 0x400);
            for (const QString &path : std::as_const(tiny))
                view.InsertPictureFile(path, 0x500);
        }
        QSet<QString> names;
        for (const RichEditObject &object : ListObjects(view.document())) {
            if (object.userValue == 0x400)
                names.insert(object.imageName);
        }
        EXPECT_EQ(names.size(), 1) << "one document resource for the picture";
        bitmaps.insert(shownBitmap(view, 0x400).cacheKey());
    }
    // A placeholder the stored file replaces later shows the same bitmap.
    CMsgRichEdit late;
    late.InsertTextWithFaces(u"/<RB>", 0x400);
    EXPECT_TRUE(late.ReplacePlaceholderByFile(0x400, big));
    bitmaps.insert(shownBitmap(late, 0x400).cacheKey());
    EXPECT_EQ(bitmaps.size(), 1) << "one bitmap for every window";
    EXPECT_EQ(DecodedPictures::Shared().reads() - readsBefore, 131) << "each file read once";
}

// Every window shows a stored picture no larger than it can show it, while
// its file keeps it at its own size for saving, copying and sending; the
// bitmaps all windows hold stay within their budget: beyond it a picture
// shows as its place, which reads back as the same marker and shows the
// picture when the window shows again after room freed. GIFs still play,
// scaled down as well.
TEST_F(MsgRichEditTest, WindowsHoldStoredPicturesScaledDownWithinABudget)
{
    DecodedPictures &cache = DecodedPictures::Shared();
    cache.clear();
    const qint64 oneShown = 1920 * 540 * 4 + DecodedPictures::kEntryOverhead;
    cache.setHeldBytes(2 * oneShown + 4 * DecodedPictures::kEntryOverhead);
    const QString dir = TestEnv::freshDir(QStringLiteral("held"));
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths.append(dir + QStringLiteral("/%1.bmp").arg(0x900 + i, 8, 16, QLatin1Char('0')));
        ASSERT_TRUE(ChatTest::patternImage(3840, 1080, qRgb(i, 9, 9)).save(paths.last()));
    }
    auto first = std::make_unique<CMsgRichEdit>();
    first->SetViewMode(CMsgRichEdit::HistoryView);
    first->InsertPictureFile(paths[0], 0x900);
    first->InsertTextWithFaces(u"/<RB>", 0x901);
    EXPECT_TRUE(first->ReplacePlaceholderByFile(0x901, paths[1]));
    CMsgRichEdit second;
    second.SetViewMode(CMsgRichEdit::HistoryView);
    second.InsertPictureFile(paths[2], 0x902);
    second.InsertPictureFile(paths[0], 0x900); // held already: costs nothing more

    const std::optional<RichEditObject> shown = objectOf(*first, 0x901);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->deferred);
    EXPECT_EQ(shownBitmap(*first, 0x901).size(), QSize(1920, 540));
    EXPECT_FALSE(objectOf(second, 0x900)->deferred);
    const std::optional<RichEditObject> place = objectOf(second, 0x902);
    ASSERT_TRUE(place);
    EXPECT_TRUE(place->deferred) << "beyond the budget";
    EXPECT_LT(shownBitmap(second, 0x902).sizeInBytes(), 64 * 1024);
    EXPECT_LE(cache.heldBytes(), 2 * oneShown + 4 * DecodedPictures::kEntryOverhead);
    EXPECT_EQ(marked(second), u"/~#>00000902<B~/~#>00000900<B~");

    // Saved, copied and sent at its own size, from the file, place or not.
    bool animated = true;
    EXPECT_TRUE(ChatTest::sameRgb(first->GetPictureBitmap(0x901, animated), ChatTest::patternImage(3840, 1080, qRgb(1, 9, 9))));
    EXPECT_FALSE(animated);
    EXPECT_EQ(second.GetPictureBitmap(0x902, animated).size(), QSize(3840, 1080));
    QTextCursor cursor(second.document());
    cursor.setPosition(place->position);
    cursor.setPosition(place->position + 1, QTextCursor::KeepAnchor);
    second.setTextCursor(cursor);
    EXPECT_TRUE(second.IsSingleStaticPictureSelected());

    // A picture without a file (one received that could not be stored, the
    // user's own) is held the same way in a history; an input box keeps it
    // at its size, to send.
    const QImage wide = ChatTest::patternImage(3840, 1080, qRgb(5, 5, 5));
    CMsgRichEdit input;
    input.InsertPicture(wide, 0x904);
    EXPECT_EQ(shownBitmap(input, 0x904).size(), QSize(3840, 1080));
    second.moveCursor(QTextCursor::End);
    second.InsertTextWithFaces(u"/<RB>", 0x904);
    EXPECT_TRUE(second.ReplacePicturePlaceholder(0x904, wide));
    EXPECT_TRUE(objectOf(second, 0x904)->deferred);
    EXPECT_TRUE(second.GetPictureBitmap(0x904, animated).isNull()) << "its place is not the picture";
    EXPECT_LE(cache.heldBytes(), 2 * oneShown + 4 * DecodedPictures::kEntryOverhead);

    // Room frees when the first window goes; the place shows its picture
    // when its window shows.
    EXPECT_EQ(second.ShowDeferredPictures(), 0);
    first.reset();
    second.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(objectOf(second, 0x902)->deferred);
    EXPECT_EQ(shownBitmap(second, 0x902).size(), QSize(1920, 540));
    EXPECT_EQ(marked(second), u"/~#>00000902<B~/~#>00000900<B~/~#>00000904<B~");
    cache.setHeldBytes(DecodedPictures::kHeldBytes);
    CMsgRichEdit history;
    history.SetViewMode(CMsgRichEdit::HistoryView);
    history.InsertPicture(wide, 0x905);
    EXPECT_EQ(shownBitmap(history, 0x905).size(), QSize(1920, 540));

    // A wide GIF plays scaled down too.
    const QString gif = dir + QStringLiteral("/wide.gif");
    ASSERT_TRUE(ChatTest::writeGif(gif, { Qt::red, Qt::blue }, 3840, 20));
    second.InsertAnimatedPicture(gif, 0x903);
    QMovie *movie = second.Animator()->movieFor(gif);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->state(), QMovie::Running);
    EXPECT_EQ(shownBitmap(second, 0x903).width(), 1920);
}

TEST_F(MsgRichEditTest, InsertFaceByIdCopiesFromTheSourceOrTheCustomFaces)
{
    const QImage picture = ChatTest::patternImage(10, 10, qRgb(7, 7, 7));
    const QString gif = TestEnv::freshDir(QStringLiteral("byid")) + QStringLiteral("/x.gif");
    ASSERT_TRUE(ChatTest::writeGif(gif, { Qt::red }));
    QDir().mkpath(FaceFolderPath(kCustomFaceFolder));
    ASSERT_TRUE(picture.save(GetPicturePath(0x12, PictureFileKind::Bitmap, kCustomFaceFolder, false)));
    CMsgRichEdit input;
    input.InsertPicture(picture, 0x10);
    input.InsertAnimatedPicture(gif, 0x11);

    for (quint32 id : { 0x10u, 0x11u, 0x12u, 0x13u })
        InsertFaceById(&edit, &input, id);
    EXPECT_EQ(marked(edit), u"/~#>00000010<B~/~#>00000011<G~/~#>00000012<B~/~#>00000013<B~");
    bool animated = false;
    EXPECT_TRUE(ChatTest::sameRgb(edit.GetPictureBitmap(0x10, animated), picture));
    EXPECT_TRUE(ChatTest::sameRgb(edit.GetPictureBitmap(0x12, animated), picture));
    EXPECT_EQ(placeholderCount(edit, 0x13), 1);
}

TEST_F(MsgRichEditTest, EnterOrCtrlEnterSends)
{
    QSignalSpy send(&edit, &CMsgRichEdit::sendCommand);
    edit.InsertTextWithFaces(u"ab", 0);
    for (bool enterSends : { true, false }) {
        SCOPED_TRACE(enterSends);
        CMsgRichEdit::SetSendMsgEnter(enterSends);
        send.clear();
        const int before = edit.document()->blockCount();
        QTest::keyClick(&edit, Qt::Key_Return, enterSends ? Qt::NoModifier : Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_Enter, enterSends ? Qt::NoModifier : Qt::ControlModifier);
        EXPECT_EQ(send.count(), 2);
        EXPECT_EQ(edit.document()->blockCount(), before);
        QTest::keyClick(&edit, Qt::Key_Return, enterSends ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(send.count(), 2);
        EXPECT_EQ(edit.document()->blockCount(), before + 1);
    }
    CMsgRichEdit::SetSendMsgEnter(true);
}

TEST(FaceImages, NinetyNineDistinctPictures)
{
    const QList<QImage> &images = FaceImageList();
    ASSERT_EQ(images.size(), kFaceTableSize);
    for (int i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].size(), QSize(kFaceImageSide, kFaceImageSide)) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(images[i], images[j]) << i << " " << j;
    }
    const QImage onWhite = CreateBitmapFromImageList(images, 0, 0xFFFFFFFF);
    EXPECT_FALSE(onWhite.hasAlphaChannel());
    EXPECT_EQ(onWhite.pixel(0, 0), 0xFFFFFFFFu); // the corner is background
    EXPECT_TRUE(CreateBitmapFromImageList(images, kFaceTableSize, 0).isNull());
}

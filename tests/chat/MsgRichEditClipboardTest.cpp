#include "ChatTestUtil.h"
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"
#include "net/PictureStore.h"
#include "core/ClipBlock.h"
#include "core/Dib.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

QString marked(const CMsgRichEdit &edit)
{
    QString text;
    QList<quint32> ids;
    return edit.GetTextWithMarkers(text, ids, false);
}

QString mimeType()
{
    return QString::fromLatin1(kMessageClipMimeType);
}

void setClipboard(QMimeData *mime)
{
    QGuiApplication::clipboard()->setMimeData(mime);
}

class MsgRichEditClipboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PictureStore::SetProgramFolder(TestEnv::freshDir(QStringLiteral("clip")) + QStringLiteral("/kwel"));
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override { PictureStore::SetProgramFolder(QString()); }
    CMsgRichEdit source;
    CMsgRichEdit target;
};

} // namespace

TEST_F(MsgRichEditClipboardTest, CopyAndPasteKeepFacesPicturesAndIds)
{
    const QImage picture = ChatTest::patternImage(33, 17, qRgb(40, 80, 120));
    ASSERT_TRUE(ChatTest::writeGif(
        FaceFolderPath(kCustomFaceFolder) + QStringLiteral("/000007d1.gif"), { Qt::red, Qt::yellow }));
    source.SetViewMode(CMsgRichEdit::HistoryView);
    source.InsertTextWithFaces(u"看这个\n", 0);
    source.InsertPicture(picture, 0x7d0);
    source.InsertFace(13, 0);
    source.InsertCustomFace(0x7d1);
    source.InsertPicture(picture, 0x7d0);
    source.InsertTextWithFaces(u"/<NF>", 0x7d2); // a picture that never came
    source.selectAll();
    source.Copy();

    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime && mime->hasFormat(mimeType()));
    MessageClipBlock block;
    ASSERT_EQ(decodeMessageClipBlock(mime->data(mimeType()), block), ClipBlockStatus::Ok);
    EXPECT_EQ(block.text, u"看这个\r/~#>000007d0<B~/:D/~#>000007d1<G~/~#>000007d0<B~/~#>000007d2<B~");
    ASSERT_EQ(block.pictures.size(), 3); // one record per id
    EXPECT_TRUE(ChatTest::sameRgb(DibToBitmap(block.dibOf(0x7d0)), picture));
    EXPECT_TRUE(block.dibOf(0x7d1).isEmpty()); // animated: restored from the face folder
    EXPECT_TRUE(block.dibOf(0x7d2).isEmpty()); // a placeholder is not the picture
    // Other programs get the text with faces as shortcuts and the picture.
    EXPECT_EQ(mime->text(), u"看这个\n/:D");
    EXPECT_TRUE(ChatTest::sameRgb(qvariant_cast<QImage>(mime->imageData()), picture));

    target.InsertTextWithFaces(u"前", 0);
    ASSERT_TRUE(target.CanPaste());
    target.Paste();
    EXPECT_EQ(marked(target), u"前看这个\r\n/~#>000007d0<B~/:D/~#>000007d1<G~/~#>000007d0<B~/~#>000007d2<B~");
    bool animated = false;
    EXPECT_TRUE(ChatTest::sameRgb(target.GetPictureBitmap(0x7d0, animated), picture));
    target.GetPictureBitmap(0x7d1, animated);
    EXPECT_TRUE(animated);
    const QList<RichEditObject> objects = ListObjects(target.document());
    EXPECT_TRUE(objects.last().placeholder);

    // The history view is read-only: nothing is pasted into it.
    EXPECT_FALSE(source.CanPaste());
    const QString before = marked(source);
    source.Paste();
    EXPECT_EQ(marked(source), before);
}

TEST_F(MsgRichEditClipboardTest, PlainSelectionsAndOtherProgramsData)
{
    source.InsertTextWithFaces(u"纯文本/:)", 0);
    QTextCursor cursor(source.document());
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    source.setTextCursor(cursor);
    source.Copy();
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(mimeType()));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"纯文本");

    // Rich text of another program enters as its plain text, line ends as blocks.
    auto *rich = new QMimeData;
    rich->setHtml(QStringLiteral("<img src=\"file:///etc/passwd\"><b>x</b>"));
    rich->setText(QStringLiteral("a\r\nb/:)"));
    setClipboard(rich);
    target.Paste();
    EXPECT_EQ(target.toPlainText(), u"a\nb/:)");
    EXPECT_TRUE(ListObjects(target.document()).isEmpty());

    // A bitmap becomes a picture with a new id.
    target.ReplaceAllText(QString());
    auto *image = new QMimeData;
    image->setImageData(ChatTest::patternImage(5, 5, qRgb(9, 9, 9)));
    setClipboard(image);
    target.Paste();
    const QList<RichEditObject> objects = ListObjects(target.document());
    ASSERT_EQ(objects.size(), 1);
    EXPECT_EQ(objects[0].kind, ObjectKind::Picture);
    EXPECT_GE(objects[0].userValue, 1000u);
}

TEST_F(MsgRichEditClipboardTest, BadBlocksPasteNoPictures)
{
    // A block that lies about its lengths falls back on the plain text.
    auto *mime = new QMimeData;
    QByteArray bad = encodeMessageClipBlock({ QStringLiteral("/~#>00000001<B~"), { { 1, QByteArrayLiteral("x") } } });
    bad.chop(1);
    mime->setData(mimeType(), bad);
    mime->setText(QStringLiteral("fallback"));
    setClipboard(mime);
    target.Paste();
    EXPECT_EQ(marked(target), u"fallback");

    // A record whose bitmap does not decode, and one for an id not in the
    // text: the marker shows "/<NF>" and keeps its id.
    target.ReplaceAllText(QString());
    mime = new QMimeData;
    mime->setData(mimeType(),
        encodeMessageClipBlock({ QStringLiteral("a/~#>00000001<B~"),
            { { 1, QByteArrayLiteral("garbage") }, { 2, BitmapToDib(ChatTest::patternImage(2, 2, 0), {}, 24) } } }));
    setClipboard(mime);
    target.Paste();
    EXPECT_EQ(marked(target), u"a/~#>00000001<B~");
    const QList<RichEditObject> objects = ListObjects(target.document());
    ASSERT_EQ(objects.size(), 1);
    EXPECT_TRUE(objects[0].placeholder);
}

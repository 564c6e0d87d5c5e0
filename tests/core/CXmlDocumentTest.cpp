#include "core/CXmlDocument.h"

#include "common/TestEnv.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using Status = CXmlDocument::Status;

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kGbkDeclaration = u("<?xml version=\"1.0\" encoding=\"gb2312\" ?>");

// The attributes of every element named name at the current level, in order.
QStringList collect(CXmlDocument &doc, const QString &name, const QString &attribute)
{
    QStringList out;
    while (doc.FindElement(name))
        out << doc.GetCurrentAttribute(attribute);
    return out;
}

TEST(CXmlDocument, WritesGroupExportByteExact)
{
    CXmlDocument doc;
    ASSERT_EQ(doc.SetText(kGbkDeclaration), Status::Ok);
    ASSERT_TRUE(doc.AddElement(u("MemoGroups")));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement(u("UserGroup")));
    EXPECT_TRUE(doc.SetAttribute(u("MAC"), u("001122AABBCC")));
    EXPECT_TRUE(doc.SetAttribute(u("GroupName"), u("同事")));
    EXPECT_TRUE(doc.SetAttribute(u("MAC"), u("0011223344FF"))); // keeps its place
    EXPECT_TRUE(doc.SetAttributeInt(u("n"), -12));
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.AddElement(u("memoNickNames"))); // second top-level element
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement(u("UserName")));
    EXPECT_TRUE(doc.SetAttribute(u("NickName"), u("<老王> & \"Wang\"\n😀")));

    const QByteArray expected
        = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n"
                            "<MemoGroups>\n"
                            "\t<UserGroup MAC=\"0011223344FF\" GroupName=\"\xcd\xac\xca\xc2\" n=\"-12\" />\n"
                            "</MemoGroups>\n"
                            "<memoNickNames>\n"
                            "\t<UserName NickName=\"&lt;\xc0\xcf\xcd\xf5> &amp; &quot;Wang&quot;&#10;"
                            "&#128512;\" />\n"
                            "</memoNickNames>\n");
    EXPECT_EQ(doc.ToBytes(), expected);

    const QString path = TestEnv::freshDir(u("xml-save")) + u("/groups.xml");
    ASSERT_EQ(doc.SaveFile(path), Status::Ok);
    EXPECT_EQ(TestEnv::readAll(path), expected);

    // Read back: both top-level elements, the texts decoded from GBK.
    CXmlDocument back;
    ASSERT_EQ(back.LoadFile(path), Status::Ok);
    EXPECT_TRUE(back.IsGbk());
    ASSERT_TRUE(back.FindElement(u("MemoGroups")));
    ASSERT_TRUE(back.FindChildElement(u("UserGroup")));
    EXPECT_EQ(back.GetChildAttribute(u("GroupName")), u("同事"));
    ASSERT_TRUE(back.FindElement(u("memoNickNames")));
    ASSERT_TRUE(back.EnterElement());
    EXPECT_EQ(collect(back, u("UserName"), u("NickName")), QStringList { u("<老王> & \"Wang\"\n😀") });
    EXPECT_EQ(back.ToBytes(), expected);

    EXPECT_EQ(doc.SaveFile(path + u("/no/such/dir")), Status::WriteFailed);
    EXPECT_EQ(TestEnv::readAll(path), expected);
}

TEST(CXmlDocument, ReadsEncodingsAndKeepsDeclaration)
{
    // GBK named in upper case with single quotes; a UTF-8 file with a BOM stays UTF-8.
    CXmlDocument gbk;
    ASSERT_EQ(gbk.LoadBytes("<?xml version='1.0' encoding='GBK'?><a t=\"\xc4\xe3\xba\xc3\"/><b/>"), Status::Ok);
    EXPECT_TRUE(gbk.IsGbk());
    ASSERT_TRUE(gbk.FindElement());
    EXPECT_EQ(gbk.GetCurrentAttribute(u("t")), u("你好"));
    EXPECT_TRUE(gbk.FindElement(u("b")));
    EXPECT_EQ(gbk.ToBytes(),
        QByteArrayLiteral("<?xml version='1.0' encoding='GBK'?>\n<a t=\"\xc4\xe3\xba\xc3\" />\n<b />\n"));

    const QByteArray utf8 = QByteArrayLiteral("\xEF\xBB\xBF<KwelConfig v=\"\xe4\xbd\xa0\">x</KwelConfig>\n");
    CXmlDocument plain;
    ASSERT_EQ(plain.LoadBytes(utf8), Status::Ok);
    EXPECT_FALSE(plain.IsGbk());
    ASSERT_TRUE(plain.FindElement(u("KwelConfig")));
    EXPECT_EQ(plain.GetCurrentAttribute(u("v")), u("你"));
    EXPECT_EQ(plain.GetData(), u("x"));
    EXPECT_FALSE(plain.HasAttribute(u("missing")));
    EXPECT_TRUE(plain.GetCurrentAttribute(u("missing")).isEmpty());
    EXPECT_EQ(plain.ToBytes(), utf8);

    // Names that would not read back are refused.
    EXPECT_FALSE(plain.AddElement(u("a b")));
    EXPECT_FALSE(plain.AddElement(u("1st")));
    EXPECT_FALSE(plain.SetAttribute(u("x=\"y"), u("z")));
    EXPECT_FALSE(gbk.AddElement(u("😀")));
}

TEST(CXmlDocument, RemoveThenFindContinuesWithNextSibling)
{
    CXmlDocument doc;
    ASSERT_EQ(doc.SetText(u("<CUSTOMFACE><FACE id=\"1\"/><!-- c --><FACE id=\"2\"/><FACE id=\"3\"/>"
                            "<FACE id=\"4\"/></CUSTOMFACE>")),
        Status::Ok);
    ASSERT_TRUE(doc.FindElement(u("CUSTOMFACE")));
    ASSERT_TRUE(doc.EnterElement());

    // A middle one: the previous becomes current.
    ASSERT_TRUE(doc.FindElement(u("FACE")));
    ASSERT_TRUE(doc.FindElement(u("FACE")));
    ASSERT_TRUE(doc.RemoveElement());
    EXPECT_EQ(doc.GetCurrentAttribute(u("id")), u("1"));
    ASSERT_TRUE(doc.FindElement(u("FACE")));
    EXPECT_EQ(doc.GetCurrentAttribute(u("id")), u("3"));

    // The first one: no current element, the walk starts again at the front.
    doc.ResetPos();
    ASSERT_TRUE(doc.FindElement(u("CUSTOMFACE")) && doc.EnterElement());
    ASSERT_TRUE(doc.FindElement(u("FACE")));
    ASSERT_TRUE(doc.RemoveElement());
    EXPECT_TRUE(doc.GetElementName().isEmpty());
    ASSERT_TRUE(doc.FindElement(u("FACE")));
    EXPECT_EQ(doc.GetCurrentAttribute(u("id")), u("3"));

    // Removing all in a loop, then adding into the emptied level.
    doc.ResetPos();
    ASSERT_TRUE(doc.FindElement(u("CUSTOMFACE")) && doc.EnterElement());
    int removed = 0;
    while (doc.FindElement(u("FACE")) && doc.RemoveElement())
        ++removed;
    EXPECT_EQ(removed, 2);
    EXPECT_FALSE(doc.RemoveElement());
    ASSERT_TRUE(doc.AddElement(u("FACE")));
    ASSERT_TRUE(doc.SetAttribute(u("id"), u("5")));
    EXPECT_EQ(doc.GetText(), u("<CUSTOMFACE>\n\t<!-- c -->\n\t<FACE id=\"5\" />\n</CUSTOMFACE>\n"));
}

TEST(CXmlDocument, EnterLeaveAndChildPosition)
{
    CXmlDocument doc;
    EXPECT_FALSE(doc.EnterElement());
    EXPECT_FALSE(doc.LeaveElement());
    ASSERT_EQ(doc.SetText(kGbkDeclaration
                  + u("<FACESETTING><CUSTOMFACE imagecount=\"2\"><FACE id=\"a\"/>"
                      "<FACE id=\"b\"/></CUSTOMFACE></FACESETTING><Other/>")),
        Status::Ok);

    // With no current element the first top-level element is taken.
    ASSERT_TRUE(doc.FindChildElement(u("CUSTOMFACE")));
    EXPECT_EQ(doc.GetElementName(), u("FACESETTING"));
    EXPECT_EQ(doc.GetChildAttribute(u("imagecount")), u("2"));
    ASSERT_TRUE(doc.EnterElement()); // the child becomes current
    EXPECT_EQ(doc.GetElementName(), u("CUSTOMFACE"));
    EXPECT_TRUE(doc.SetAttributeInt(u("imagecount"), 3));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(collect(doc, u("FACE"), u("id")), (QStringList { u("a"), u("b") }));
    ASSERT_TRUE(doc.EnterElement()); // into the last FACE, which has no children
    EXPECT_FALSE(doc.FindElement());
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetElementName(), u("FACESETTING"));
    EXPECT_EQ(doc.GetChildElementName(), u("CUSTOMFACE"));
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_TRUE(doc.FindElement(u("Other")));
    EXPECT_FALSE(doc.FindElement(u("FACESETTING"))); // only forward

    ASSERT_EQ(doc.SetText({}), Status::Ok);
    EXPECT_TRUE(doc.ToBytes().isEmpty());
}

TEST(CXmlDocument, RefusesMissingEmptyTruncatedAndGarbledFiles)
{
    const QString dir = TestEnv::freshDir(u("xml-bad"));
    CXmlDocument doc;
    EXPECT_EQ(doc.LoadFile(dir + u("/missing.xml")), Status::FileMissing);
    EXPECT_EQ(doc.LoadFile(dir), Status::ReadFailed);
    ASSERT_TRUE(TestEnv::writeAll(dir + u("/empty.xml"), {}));
    EXPECT_EQ(doc.LoadFile(dir + u("/empty.xml")), Status::Empty);
    ASSERT_TRUE(TestEnv::writeAll(dir + u("/big.xml"), QByteArray(CXmlDocument::kMaxBytes + 1, ' ')));
    EXPECT_EQ(doc.LoadFile(dir + u("/big.xml")), Status::TooLarge);

    const QByteArray declaration = kGbkDeclaration.toLatin1();
    EXPECT_EQ(doc.LoadBytes(QByteArray(declaration + "\n")), Status::Empty);
    EXPECT_EQ(doc.LoadBytes("<?xml version=\"1.0\" "), Status::Malformed);
    EXPECT_EQ(doc.LoadBytes("plain text"), Status::Malformed);
    EXPECT_EQ(doc.LoadBytes(QByteArray("<a>\0</a>", 8)), Status::Malformed);
    EXPECT_EQ(doc.LoadBytes("\x89PNG\r\n\x1a\n<<>>"), Status::Malformed);
    // A GBK name made of bytes that are not GBK could not be written back.
    EXPECT_EQ(doc.LoadBytes(QByteArray(declaration + "<a\x81\x30/>")), Status::Malformed);
    EXPECT_FALSE(doc.ErrorText().isEmpty());
    const auto nested = [](int depth) -> QByteArray {
        return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
    };
    EXPECT_EQ(doc.LoadBytes(nested(200)), Status::Ok);
    EXPECT_EQ(doc.LoadBytes(nested(100000)), Status::Malformed);

    // Every cut before the end of the root element is refused, and leaves an
    // empty document that the cursor walks safely.
    const QByteArray whole = declaration
        + "\n<FACESETTING><CUSTOMFACE version=\"1000\"><FACE id=\"00000001\" tip=\"\xce\xa2\"/>"
          "</CUSTOMFACE></FACESETTING>";
    ASSERT_EQ(doc.LoadBytes(whole), Status::Ok);
    for (qsizetype n = 0; n < whole.size(); ++n) {
        const Status s = doc.LoadBytes(whole.first(n));
        EXPECT_TRUE(s == Status::Malformed || s == Status::Empty) << n;
        EXPECT_FALSE(doc.FindElement());
        EXPECT_FALSE(doc.FindChildElement());
        EXPECT_FALSE(doc.SetAttribute(u("x"), u("y")));
        EXPECT_TRUE(doc.ToBytes().isEmpty());
    }
}

} // namespace

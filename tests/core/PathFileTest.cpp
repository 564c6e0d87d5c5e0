#include "common/TestEnv.h"
#include "core/FileUtil.h"
#include "core/Gbk.h"
#include "core/PathUtil.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(PathUtil, JoinAndSplitPaths)
{
    EXPECT_EQ(JoinPath(u"", u"a.txt"), u("a.txt"));
    EXPECT_EQ(JoinPath(u"/x/", u"a.txt"), u("/x/a.txt"));

    EXPECT_EQ(GetParentDirectory(u"/a/b/"), u("/a"));
    EXPECT_EQ(GetParentDirectory(u"/a"), u("/"));
    EXPECT_EQ(GetParentDirectory(u"/a/./c/../b"), u("/a"));
    EXPECT_FALSE(GetParentDirectory(u"/"));
    EXPECT_FALSE(GetParentDirectory(u""));
    EXPECT_EQ(GetParentDirectory(u"x/y"), QDir::current().absoluteFilePath(u("x")));

    EXPECT_EQ(GetPathDirectory(u"/a/b.tar.gz"), u("/a"));
    EXPECT_EQ(GetPathDirectory(u"/b"), u("/"));
    EXPECT_EQ(GetPathDirectory(u"b"), QString());
    EXPECT_EQ(GetPathExtension(u"/a/b.tar.gz"), u("gz"));
    EXPECT_EQ(GetPathExtension(u"/d.x/file"), QString()); // a dot in a folder name is no extension
    EXPECT_EQ(GetPathFileName(u"/a/b.tar.gz"), u("b.tar.gz"));
    EXPECT_EQ(GetPathFileTitle(u"/a/b.tar.gz"), u("b.tar"));

    EXPECT_EQ(PathToDisplayName(u"/a/共享/"), u("共享"));
    EXPECT_EQ(PathToDisplayName(u"/"), u("/"));
    EXPECT_EQ(PathToDisplayName(u"//"), u("/"));
}

TEST(PathUtil, ReceivedNamesStayInTheirFolder)
{
    for (const QString &bad :
        { QString(), u("."), u(".."), u("a/b"), u("a\\b"), u("/etc"), QStringView(u"a\0b", 3).toString() }) {
        EXPECT_FALSE(IsSafeFileName(bad)) << qPrintable(bad);
        EXPECT_FALSE(FileNameEquals(JoinPath(u"/dl", bad), bad)) << qPrintable(bad);
    }
    EXPECT_TRUE(IsSafeFileName(u"...")); // an odd name, but one component
    // A GBK trail byte 0x5C is part of a character, not a backslash.
    const QString chinese = Gbk::decode("\x81\x5c.txt");
    EXPECT_TRUE(IsSafeFileName(chinese));
    EXPECT_TRUE(FileNameEquals(JoinPath(u"/dl", chinese), chinese));
    EXPECT_FALSE(FileNameEquals(u"/dl/other", u"name"));
}

TEST(FileUtil, ExistenceAndInformation)
{
    const QString dir = TestEnv::freshDir(u("fileutil"));
    const QString file = dir + u("/数据.bin");
    ASSERT_TRUE(TestEnv::writeAll(file, "12345"));

    EXPECT_TRUE(FileExists(file) && FileExists(dir));
    EXPECT_FALSE(FileExists(dir + u("/missing")));

    EXPECT_FALSE(DirectoryExists(file, true));
    EXPECT_TRUE(DirectoryExists(dir + u("/new"), true));
    EXPECT_FALSE(DirectoryExists(dir + u("/x/y"), true)); // one level only

    auto info = GetFileInformation(file);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, u("数据.bin"));
    EXPECT_EQ(info->size, 5u);
    EXPECT_EQ(info->attributes, quint32(FileInformation::Normal));
    EXPECT_LE(qAbs(info->modified.secsTo(QDateTime::currentDateTime())), 60);

    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_TRUE(GetFileInformation(file)->isReadOnly());

    info = GetFileInformation(dir + u("/new/"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, u("new"));
    EXPECT_TRUE(info->isDirectory());
    EXPECT_EQ(info->size, 0u);
    EXPECT_FALSE(GetFileInformation(dir + u("/missing")));
}

TEST(FileUtil, TempFilesWholeFilesAndDataFolder)
{
    const QString a = MakeTempFilePath();
    const QString b = MakeTempFilePath();
    ASSERT_FALSE(a.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(QFileInfo(a).isFile()); // created, so nobody can take the name first
    EXPECT_EQ(QFileInfo(a).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_FALSE(QFileInfo(a).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther));

    const QString dir = TestEnv::freshDir(u("load"));
    TestEnv::writeAll(dir + u("/f"), QByteArray("\x00\x01xyz", 5));
    TestEnv::writeAll(dir + u("/empty"), {});
    EXPECT_EQ(LoadFileToGlobal(dir + u("/f")), QByteArray("\x00\x01xyz", 5));
    EXPECT_EQ(LoadFileToGlobal(dir + u("/f"), 5), QByteArray("\x00\x01xyz", 5));
    EXPECT_FALSE(LoadFileToGlobal(dir + u("/f"), 4));
    auto empty = LoadFileToGlobal(dir + u("/empty"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_FALSE(LoadFileToGlobal(dir + u("/missing")));
    EXPECT_FALSE(LoadFileToGlobal(dir));

    const QString base = GetDataBaseDirectory();
    EXPECT_TRUE(QFileInfo(base).isDir());
    EXPECT_TRUE(base.startsWith(TestEnv::home()));

    // The configured work folder becomes the base, made when missing, without
    // its trailing separator; one that is no folder of this system is passed over.
    const QString work = dir + u("/work/base");
    EXPECT_EQ(UseWorkDirectory(work + u("/")), work);
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_EQ(GetDataBaseDirectory(), work);
    EXPECT_EQ(UseWorkDirectory(u("D:\\Kwel")), base);
    EXPECT_EQ(UseWorkDirectory(u("relative/kwel")), base);
    EXPECT_EQ(UseWorkDirectory(dir + u("/f/below-a-file")), base);
    EXPECT_EQ(UseWorkDirectory(work), work);
    EXPECT_EQ(UseWorkDirectory({}), base);
}

} // namespace

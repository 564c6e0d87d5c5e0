#include "common/TestEnv.h"
#include "core/CRegistryKey.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kCompany = QStringLiteral("TARPELON");
const QString kProduct = QStringLiteral("Kwel");

TEST(RegistryKey, UserStoreLivesInTheConfigFolder)
{
    CRegistryKey key(kCompany, kProduct);
    EXPECT_TRUE(key.FilePath().startsWith(TestEnv::home()));
    EXPECT_TRUE(key.FilePath().endsWith(QStringLiteral("/.config/TARPELON/Kwel.ini"))) << key.FilePath().toStdString();
}

TEST(RegistryKey, ValuesSectionsAndLists)
{
    const QString path = TestEnv::freshDir(QStringLiteral("regkey")) + QStringLiteral("/s.ini");
    {
        CRegistryKey key(kCompany, kProduct, path);
        EXPECT_TRUE(key.WriteString(QStringLiteral("Name"), QStringLiteral("张三")));
        EXPECT_TRUE(key.WriteInt(QStringLiteral("Port"), 2425));
        EXPECT_TRUE(key.WriteBytes(QStringLiteral("Blob"), QByteArray("\x00\x01", 2)));
        EXPECT_FALSE(key.WriteString(QStringLiteral("a/b"), QString()));
        EXPECT_TRUE(key.WriteList(QStringLiteral("BROADCAST_STR"),
            { QStringLiteral("10.0.0.255"), QString(200, QLatin1Char('x')), QStringLiteral("b") }));
        ASSERT_TRUE(key.OpenSection(QStringLiteral("PLAN_STR\\2024")));
        EXPECT_TRUE(key.WriteString(QStringLiteral("note"), QStringLiteral("开会")));
        key.CloseSection();
        EXPECT_TRUE(key.Flush());
    }
    CRegistryKey key(kCompany, kProduct, path);
    EXPECT_TRUE(key.ReadOk());
    EXPECT_EQ(key.ReadString(QStringLiteral("Name")), QStringLiteral("张三"));
    EXPECT_EQ(key.ReadInt(QStringLiteral("Port")), 2425);
    EXPECT_EQ(key.ReadString(QStringLiteral("Port")), QStringLiteral("2425"));
    EXPECT_EQ(key.ReadBytes(QStringLiteral("Blob")), QByteArray("\x00\x01", 2));
    EXPECT_FALSE(key.ReadString(QStringLiteral("Blob")));
    EXPECT_FALSE(key.ReadInt(QStringLiteral("Name")));
    EXPECT_FALSE(key.ReadString(QStringLiteral("Missing")));
    // The list stops at the first missing value; a 200-byte entry does not
    // fit a buffer of 200 bytes and is left out.
    EXPECT_EQ(key.ReadList(QStringLiteral("BROADCAST_STR"), 200),
        QStringList({ QStringLiteral("10.0.0.255"), QStringLiteral("b") }));
    EXPECT_EQ(key.ReadList(QStringLiteral("BROADCAST_STR")).size(), 3);
    EXPECT_EQ(key.SectionNames(), QStringList({ QStringLiteral("BROADCAST_STR"), QStringLiteral("PLAN_STR") }));
    ASSERT_TRUE(key.OpenSection(QStringLiteral("PLAN_STR/2024")));
    EXPECT_EQ(key.ReadString(QStringLiteral("note")), QStringLiteral("开会"));
    key.CloseSection();
    EXPECT_FALSE(key.OpenSection(QStringLiteral("A//B")));

    EXPECT_TRUE(key.WriteList(QStringLiteral("BROADCAST_STR"), { QStringLiteral("only") }));
    EXPECT_TRUE(key.DeleteSection(QStringLiteral("PLAN_STR")));
    EXPECT_TRUE(key.DeleteValue(QStringLiteral("Blob")));
    EXPECT_TRUE(key.Flush());
    CRegistryKey again(kCompany, kProduct, path);
    EXPECT_EQ(again.ReadList(QStringLiteral("BROADCAST_STR")), QStringList(QStringLiteral("only")));
    EXPECT_FALSE(again.SectionExists(QStringLiteral("PLAN_STR")));
    EXPECT_FALSE(again.HasValue(QStringLiteral("Blob")));
}

TEST(RegistryKey, ExportImportSubtree)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("regexport"));
    const QString path = dir + QStringLiteral("/s.ini");
    const QString backup = dir + QStringLiteral("/b.kr5");
    RegNode before;
    {
        CRegistryKey key(kCompany, kProduct, path);
        key.WriteList(QStringLiteral("BROADCAST_STR"), { QStringLiteral("192.168.1.255"), QStringLiteral("段") });
        key.OpenSection(QStringLiteral("BROADCAST_STR/Extra"));
        key.WriteInt(QStringLiteral("n"), 7);
        key.WriteBytes(QStringLiteral("b"), QByteArray("\x7f\x01", 2));
        key.CloseSection();
        key.WriteString(QStringLiteral("Outside"), QStringLiteral("kept"));
        ASSERT_TRUE(key.Flush());
        before = key.ReadTree(QStringLiteral("BROADCAST_STR"));
        ASSERT_TRUE(key.ExportTree(QStringLiteral("BROADCAST_STR"), backup));
        // change the section after the backup
        key.WriteList(QStringLiteral("BROADCAST_STR"), { QStringLiteral("changed") });
        key.WriteString(QStringLiteral("Outside"), QStringLiteral("changed too"));
        ASSERT_TRUE(key.Flush());
    }
    const QByteArray storeBefore = TestEnv::readAll(path);
    CRegistryKey key(kCompany, kProduct, path);
    // A backup of one section is refused for another one.
    EXPECT_EQ(key.ImportTree(QStringLiteral("LASTPERSON_STR"), backup), CRegistryKey::ImportStatus::WrongSection);
    // A damaged backup changes nothing.
    QByteArray damaged = TestEnv::readAll(backup);
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 1);
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/d.kr5"), damaged));
    RegExport::Status why = RegExport::Status::Ok;
    EXPECT_EQ(key.ImportTree(QStringLiteral("BROADCAST_STR"), dir + QStringLiteral("/d.kr5"), &why),
        CRegistryKey::ImportStatus::BadFile);
    EXPECT_EQ(why, RegExport::Status::BadChecksum);
    EXPECT_EQ(key.ImportTree(QStringLiteral("BROADCAST_STR"), dir + QStringLiteral("/none.kr5")),
        CRegistryKey::ImportStatus::Unreadable);
    EXPECT_EQ(TestEnv::readAll(path), storeBefore);

    ASSERT_EQ(key.ImportTree(QStringLiteral("BROADCAST_STR"), backup), CRegistryKey::ImportStatus::Ok);
    CRegistryKey after(kCompany, kProduct, path);
    EXPECT_EQ(after.ReadTree(QStringLiteral("BROADCAST_STR")), before);
    EXPECT_EQ(after.ReadString(QStringLiteral("Outside")), QStringLiteral("changed too"));

    // The whole store: export from the root, import replaces everything.
    const QString whole = dir + QStringLiteral("/all.kr1");
    ASSERT_TRUE(after.ExportTree(QString(), whole));
    after.WriteString(QStringLiteral("New"), QStringLiteral("x"));
    ASSERT_TRUE(after.Flush());
    ASSERT_EQ(after.ImportTree(QString(), whole), CRegistryKey::ImportStatus::Ok);
    CRegistryKey restored(kCompany, kProduct, path);
    EXPECT_FALSE(restored.HasValue(QStringLiteral("New")));
    EXPECT_EQ(restored.ReadTree(QStringLiteral("BROADCAST_STR")), before);
}

} // namespace

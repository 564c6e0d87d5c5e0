#include "PanelTestUtil.h"
#include "core/CRegistryKey.h"
#include "core/RegExport.h"
#include "mainwnd/SettingsBackup.h"
#include "platform/ScriptedPrompter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kCompany = QStringLiteral("TARPELON");
const QString kProduct = QStringLiteral("Kwel");

struct Store
{
    Store()
        : dir(TestEnv::freshDir(QStringLiteral("backup")))
        , config(dir + QStringLiteral("/kwel.ini"))
    {
        config.BroadcastList = {QStringLiteral("192.168.2.255")};
        config.LastPersonTexts = {QStringLiteral("张三(00-16-3E-0A-0B-01)")};
        config.LastPersonKeys = {QStringLiteral("00163E0A0B01")};
        config.StrReply = QStringLiteral("开会中");
        config.Save(CFG_ALL, true);
        CRegistryKey key(kCompany, kProduct, config.StorePath());
        key.WriteList(QStringLiteral("PLAN_STR"), {QStringLiteral("20240101##09:00:00"), QStringLiteral("计划")});
        key.Flush();
    }
    QString file(const char *name) const { return dir + QLatin1Char('/') + QLatin1String(name); }
    QStringList list(const char *section) const
    {
        return CRegistryKey(kCompany, kProduct, config.StorePath()).ReadList(QLatin1String(section));
    }

    QString dir;
    CConfig config;
    ScriptedPrompter prompter;
    PrompterScope scope{prompter};
};

SettingsBackup::Result restore(Store &s, const QString &path)
{
    s.prompter.queueOpenFile(path);
    s.prompter.queueButton(Prompter::Button::Yes);
    return SettingsBackup::RestoreSettings(s.config, nullptr);
}

TEST(SettingsBackup, KindsExtensionsAndCommands)
{
    EXPECT_EQ(SettingsBackup::Extension(0), QStringLiteral("kr1"));
    EXPECT_EQ(SettingsBackup::Extension(6), QStringLiteral("kr6"));
    EXPECT_TRUE(SettingsBackup::Extension(1).isEmpty());
    EXPECT_EQ(SettingsBackup::KindOfCommand(33103), 4);
    EXPECT_EQ(SettingsBackup::KindOfPath(QStringLiteral("/x/All.KR1")), 0) << "any case";
    EXPECT_EQ(SettingsBackup::KindOfPath(QStringLiteral("/x/b.kr5")), 5);
    EXPECT_FALSE(SettingsBackup::KindOfPath(QStringLiteral("/x/b.kr7")));
    EXPECT_FALSE(SettingsBackup::KindOfPath(QStringLiteral("/x/kr5")));
}

TEST(SettingsBackup, RoundTripsPerKind)
{
    Store s;
    // A backup holds what the user sees, a scheduled change included.
    s.config.BroadcastList = {QStringLiteral("10.1.1.255"), QStringLiteral("10.1.2.255")};
    s.config.Save(CFG_BROADCAST, false, true);
    s.prompter.queueSaveFile(s.file("net"));
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 5, nullptr), SettingsBackup::Result::Done);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("备份成功！"));
    EXPECT_EQ(s.prompter.calls().last().caption, QStringLiteral("提示"));
    EXPECT_EQ(s.prompter.calls()[0].filter, QStringLiteral("Kwel Bak Files (*.kr5)"));
    ASSERT_TRUE(QFile::exists(s.file("net.kr5"))) << "the extension is added";

    // The dialog asked about "net"; the older net.kr5 is replaced only when
    // the user says so. Any other extension gets the kind's one too.
    ASSERT_TRUE(TestEnv::writeAll(s.file("net.kr5"), "older backup"));
    s.prompter.queueSaveFile(s.file("net"));
    s.prompter.queueButton(Prompter::Button::No);
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 5, nullptr), SettingsBackup::Result::Cancelled);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("net.kr5 已存在。\n要替换它吗?"));
    EXPECT_EQ(TestEnv::readAll(s.file("net.kr5")), QByteArray("older backup"));
    s.prompter.queueSaveFile(s.file("net"));
    s.prompter.queueButton(Prompter::Button::Yes);
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 5, nullptr), SettingsBackup::Result::Done);
    EXPECT_NE(TestEnv::readAll(s.file("net.kr5")), QByteArray("older backup"));
    s.prompter.queueSaveFile(s.file("net.bak"));
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 5, nullptr), SettingsBackup::Result::Done);
    EXPECT_TRUE(QFile::exists(s.file("net.bak.kr5")));

    for (int kind : {0, 2, 3, 4, 6}) {
        s.prompter.queueSaveFile(s.file("all") + QStringLiteral(".") + SettingsBackup::Extension(kind));
        ASSERT_EQ(SettingsBackup::BackupSettings(s.config, kind, nullptr), SettingsBackup::Result::Done) << kind;
    }

    // kr5 is taken at once, and a change scheduled before the restore does
    // not write over it.
    s.config.BroadcastList = {QStringLiteral("172.16.0.255")};
    s.config.Save(CFG_BROADCAST, false, true);
    EXPECT_EQ(restore(s, s.file("net.kr5")), SettingsBackup::Result::Done);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("还原成功！"));
    EXPECT_EQ(s.config.BroadcastList, (QStringList{QStringLiteral("10.1.1.255"), QStringLiteral("10.1.2.255")}));
    QTest::qWait(CConfig::ScheduledSaveDelayMs + 100);
    EXPECT_EQ(s.list("BROADCAST_STR"), s.config.BroadcastList);
    // Going back to the list saved before the restore is saved too.
    s.config.BroadcastList = {QStringLiteral("172.16.0.255")};
    ASSERT_TRUE(s.config.Save(CFG_BROADCAST));
    EXPECT_EQ(s.list("BROADCAST_STR"), s.config.BroadcastList);

    // kr6 appends the contacts it holds, once.
    s.config.LastPersonTexts = {QStringLiteral("李四(00-16-3E-0A-0B-02)")};
    s.config.LastPersonKeys = {QStringLiteral("00163E0A0B02")};
    EXPECT_EQ(restore(s, s.file("all.kr6")), SettingsBackup::Result::Done);
    EXPECT_EQ(restore(s, s.file("all.kr6")), SettingsBackup::Result::Done);
    EXPECT_EQ(s.config.LastPersonKeys, (QStringList{QStringLiteral("00163E0A0B02"), QStringLiteral("00163E0A0B01")}));
    EXPECT_EQ(s.config.LastPersonTexts.size(), 2);
    EXPECT_EQ(s.list("LASTPERSON_STR"), s.config.LastPersonTexts) << "the store keeps the contacts listed before";

    // kr3 needs a restart.
    CRegistryKey(kCompany, kProduct, s.config.StorePath()).WriteList(QStringLiteral("PLAN_STR"), {});
    EXPECT_EQ(restore(s, s.file("all.kr3")), SettingsBackup::Result::Done);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("还原成功！您需重新启动Kwel!"));
    EXPECT_EQ(s.list("PLAN_STR"), (QStringList{QStringLiteral("20240101##09:00:00"), QStringLiteral("计划")}));

    // kr1 brings back the whole store and loads it.
    s.config.StrReply = QStringLiteral("changed");
    s.config.Save(CFG_GENERAL);
    EXPECT_EQ(restore(s, s.file("all.kr1")), SettingsBackup::Result::Done);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("还原成功！您需重新启动Kwel!"));
    EXPECT_EQ(s.config.StrReply, QStringLiteral("开会中"));

    // No at the question: nothing is read.
    s.prompter.queueOpenFile(s.file("all.kr1"));
    s.prompter.queueButton(Prompter::Button::No);
    EXPECT_EQ(SettingsBackup::RestoreSettings(s.config, nullptr), SettingsBackup::Result::Cancelled);
}

TEST(SettingsBackup, DamagedOrMismatchedFilesChangeNothing)
{
    Store s;
    s.prompter.queueSaveFile(s.file("b.kr5"));
    ASSERT_EQ(SettingsBackup::BackupSettings(s.config, 5, nullptr), SettingsBackup::Result::Done);
    const QByteArray storeBefore = TestEnv::readAll(s.config.StorePath());

    QByteArray damaged = TestEnv::readAll(s.file("b.kr5"));
    damaged[damaged.size() - 6] = char(damaged[damaged.size() - 6] ^ 0x20);
    ASSERT_TRUE(TestEnv::writeAll(s.file("d.kr5"), damaged));
    EXPECT_EQ(restore(s, s.file("d.kr5")), SettingsBackup::Result::Failed);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("还原失败！"));
    // The other-subnet list under the name of the recent contacts.
    ASSERT_TRUE(QFile::copy(s.file("b.kr5"), s.file("b.KR6")));
    EXPECT_EQ(restore(s, s.file("b.KR6")), SettingsBackup::Result::Failed);
    ASSERT_TRUE(QFile::copy(s.file("b.kr5"), s.file("b.txt")));
    EXPECT_EQ(restore(s, s.file("b.txt")), SettingsBackup::Result::Failed);
    EXPECT_EQ(TestEnv::readAll(s.config.StorePath()), storeBefore);
    EXPECT_EQ(s.config.LastPersonTexts.size(), 1);
}

// Settings that cannot be saved are not backed up as if they were: the store
// would hold older values than the user sees.
TEST(SettingsBackup, SettingsThatCannotBeSavedAreToldAndNotBackedUp)
{
    Store s;
    const QString store = s.config.StorePath();
    // The settings file gives way to a link into a folder that is gone: the
    // store reads as empty and takes nothing.
    ASSERT_TRUE(QFile::rename(store, s.file("aside.ini")));
    ASSERT_TRUE(QFile::link(s.file("gone/kwel.ini"), store));
    s.config.StrReply = QStringLiteral("出差");
    s.prompter.queueSaveFile(s.file("all"));
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 0, nullptr), SettingsBackup::Result::Failed);
    EXPECT_TRUE(s.prompter.calls().last().text.startsWith(QStringLiteral("备份失败！")));
    EXPECT_TRUE(s.prompter.calls().last().text.contains(store)) << s.prompter.calls().last().text.toStdString();
    EXPECT_FALSE(QFile::exists(s.file("all.kr1")));

    // Once the file can be written again the new value is stored and backed up.
    ASSERT_TRUE(QFile::remove(store));
    ASSERT_TRUE(QFile::rename(s.file("aside.ini"), store));
    s.prompter.queueSaveFile(s.file("all"));
    EXPECT_EQ(SettingsBackup::BackupSettings(s.config, 0, nullptr), SettingsBackup::Result::Done);
    EXPECT_EQ(s.prompter.calls().last().text, QStringLiteral("备份成功！"));
    CConfig stored(store);
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.StrReply, QStringLiteral("出差"));
}

// A backup killed while it writes leaves either the old file or a whole new
// one, never a part.
TEST(SettingsBackup, AKilledBackupLeavesAWholeFile)
{
    Store s;
    {
        CRegistryKey key(kCompany, kProduct, s.config.StorePath());
        QStringList many;
        for (int i = 0; i < 20000; ++i)
            many.append(QStringLiteral("10.%1.%2.255 其他网段").arg(i / 250).arg(i % 250));
        key.WriteList(QStringLiteral("BROADCAST_STR"), many);
        key.Flush();
    }
    const QString target = s.file("big.kr5");
    ASSERT_TRUE(TestEnv::writeAll(target, "old backup"));
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const CRegistryKey key(kCompany, kProduct, s.config.StorePath());
            for (;;)
                key.ExportTree(QStringLiteral("BROADCAST_STR"), target);
        }
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 150 + 70 * round)
            usleep(1000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const QByteArray bytes = TestEnv::readAll(target);
        if (bytes != "old backup") {
            EXPECT_EQ(RegExport::parse(bytes).status, RegExport::Status::Ok) << "round " << round;
        }
    }
}

} // namespace

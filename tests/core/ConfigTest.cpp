#include "common/TestEnv.h"
#include "core/CConfig.h"
#include "core/CRegistryKey.h"
#include "core/ConfigValues.h"
#include "core/SettingsFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kCompany = QStringLiteral("TARPELON");
const QString kProduct = QStringLiteral("Kwel");

QString storeIn(const char *name)
{
    return TestEnv::freshDir(QString::fromLatin1(name)) + QStringLiteral("/Kwel.ini");
}

SettingsFile::ValueMap fileValues(const QString &path)
{
    return SettingsFile::parse(TestEnv::readAll(path)).values;
}

// Gives every stored value of the config a value other than its default.
void changeEverything(CConfig &c)
{
    for (const auto &v : ConfigValues::ints())
        c.*v.member = v.def == v.max ? v.def - 1 : v.def + 1;
    for (const auto &v : ConfigValues::words())
        c.*v.member = v.def == 0 ? 1 : v.def - 1;
    for (const auto &v : ConfigValues::texts())
        c.*v.member = v.kind == ConfigValues::TextKind::Address ? QStringLiteral("238.1.2.3")
                                                                : QStringLiteral("/x/%1").arg(QLatin1String(v.name));
    c.chatFont.faceName = QStringLiteral("黑体");
    c.chatFont.color = 0x123456;
    c.QuickReplies[2] = QStringLiteral("回复");
    c.AwayNames[7] = QStringLiteral("忙");
    c.MemberGroups.append(InitUserGroupRecord(QStringLiteral("同事")));
    c.memoGroupNames.insert(QStringLiteral("001122334455"), QStringLiteral("同事"));
    c.memoNickNames.insert(QStringLiteral("001122334455"), QStringLiteral("老王"));
    c.memoUsesInfos.insert(QStringLiteral("001122334455"), QStringLiteral("1#~$#2#~$##~$##~$##~$##~$#"));
    c.ObjectGroupStatus.insert(QStringLiteral("技术部"), QStringLiteral("1"));
    c.IpToMac.insert(0xC0A80105, QStringLiteral("AABBCCDDEEFF"));
    c.BroadcastList = { QStringLiteral("192.168.9.255") };
    c.LastPersonTexts = { QStringLiteral("老王(PC1)(IP:192.168.1.5)(wang)(00-11-22-33-44-55)") };
    c.LastPersonKeys = { QStringLiteral("001122334455") };
    SpamRuleRecord rule;
    rule.keyword = QStringLiteral("广告");
    rule.action = 1;
    c.SpamRules = { rule };
    c.FileSharePwd = QByteArray("\x01\x7f\x1e", 3);
}

TEST(Config, DefaultsAndLimitsOnLoad)
{
    const QString path = storeIn("cfg-defaults");
    CConfig c(path);
    EXPECT_TRUE(c.Load()); // no file: every default
    EXPECT_EQ(c.modifiers, 6);
    EXPECT_EQ(c.virtualcode, 0x58);
    EXPECT_EQ(c.WndLeft, -1);
    EXPECT_EQ(c.RETRYMSEC_STR, 1500);
    EXPECT_EQ(c.RETRYMAX_STR, 3);
    EXPECT_EQ(c.BmpUdpSendSize, 512);
    EXPECT_EQ(c.TreeStryleSmallIcon_STR, QStringLiteral("1364"));
    EXPECT_EQ(c.ChatFontColor, 0x933E1Eu);
    EXPECT_EQ(c.MulticastIP, QStringLiteral("226.81.9.8"));
    EXPECT_EQ(c.KwelPortNo, 2425);
    EXPECT_EQ(c.chatFont, ChatFont::standard());
    EXPECT_EQ(c.QuickReplies[0], QStringLiteral("好的。"));
    EXPECT_EQ(c.AwayNames[2], QStringLiteral("开会"));
    EXPECT_EQ(c.WorkDir, CConfig::DefaultWorkDir());
    ASSERT_EQ(c.MemberGroups.size(), 3);
    EXPECT_EQ(c.FindMemberGroup(QStringLiteral("黑名单")), 1);

    const QByteArray file = "BmpUdpSendSize=217\nBmpUdpTrys=16\nRECVTRANSMAX_STR=7\nRETRYMSEC_STR=0\n"
                            "HideMode=5\nMainOpacity=101\nKwelPortNo=80\nTreeGradClr1=@Int(16777216)\n"
                            "StatusValue=-1\nMulticastIP=192.168.1.1\nWndLeft=abc\nFileShareNo=@Bytes(01)\n"
                            "NICKNAMESTR_STR="
        + QString(30, QChar(0x738B)).toUtf8()
        + "\n"
          "TreeBmpPath=/"
        + QByteArray(259, 'p') + "\n";
    ASSERT_TRUE(TestEnv::writeAll(path, file));
    EXPECT_TRUE(c.Load());
    EXPECT_EQ(c.BmpUdpSendSize, 512);
    EXPECT_EQ(c.BmpUdpTrys, 10);
    EXPECT_EQ(c.RECVTRANSMAX_STR, 65536);
    EXPECT_EQ(c.RETRYMSEC_STR, 1500);
    EXPECT_EQ(c.HideMode, 0);
    EXPECT_EQ(c.MainOpacity, 0);
    EXPECT_EQ(c.KwelPortNo, 2425);
    EXPECT_EQ(c.TreeGradClr1, 0xFFFFFFu);
    EXPECT_EQ(c.StatusValue, 0xFFFFFFFFu); // a signed word as Windows writes it
    EXPECT_EQ(c.MulticastIP, QStringLiteral("226.81.9.8"));
    EXPECT_EQ(c.WndLeft, -1);
    EXPECT_EQ(c.FileShareNo, 0);
    EXPECT_EQ(c.NICKNAMESTR_STR, QString(24, QChar(0x738B))); // cut to 49 GBK bytes
    EXPECT_TRUE(c.TreeBmpPath.isEmpty()); // a path that does not fit is dropped

    ASSERT_TRUE(TestEnv::writeAll(path, "BmpUdpSendSize=218\nBmpUdpTrys=0\nRECVTRANSMAX_STR=8\n"));
    c.Load();
    EXPECT_EQ(c.BmpUdpSendSize, 218);
    EXPECT_EQ(c.BmpUdpTrys, 0);
    EXPECT_EQ(c.RECVTRANSMAX_STR, 8);
}

TEST(Config, EverySectionRoundTripsAlone)
{
    for (uint32_t bit = 1; bit <= CFG_ALL; bit <<= 1) {
        if (!(bit & CFG_ALL))
            continue;
        const QString path = storeIn("cfg-sections");
        CConfig base(path);
        ASSERT_TRUE(base.Save(CFG_ALL, true));
        const SettingsFile::ValueMap before = fileValues(path);

        CConfig changed(path);
        changed.Load();
        changeEverything(changed);
        ASSERT_TRUE(changed.Save(bit));
        const SettingsFile::ValueMap after = fileValues(path);

        // Exactly the keys of this section changed in the file.
        const CConfig::SectionImage img = changed.BuildSectionImage(bit);
        auto inSection = [&](const QString &key) {
            for (const auto &[name, value] : img.values)
                if (key == name)
                    return true;
            for (const auto &[section, entries] : img.lists)
                if (key.startsWith(section + QLatin1Char('/')))
                    return true;
            return false;
        };
        int changedKeys = 0;
        QStringList keys = before.keys() + after.keys();
        keys.removeDuplicates();
        for (const QString &key : keys) {
            if (before.value(key) == after.value(key))
                continue;
            ++changedKeys;
            EXPECT_TRUE(inSection(key)) << "bit " << bit << " changed " << key.toStdString();
        }
        EXPECT_GT(changedKeys, 0) << bit;

        // Loading gives back this section's values and the defaults elsewhere.
        CConfig loaded(path);
        ASSERT_TRUE(loaded.Load());
        for (uint32_t other = 1; other <= CFG_ALL; other <<= 1) {
            if (!(other & CFG_ALL))
                continue;
            const auto expected = (other == bit ? changed : base).BuildSectionImage(other);
            EXPECT_EQ(loaded.BuildSectionImage(other), expected) << "saved " << bit << ", compared " << other;
        }
    }
}

TEST(Config, GbkNamesAndScrambledPasswordSurvive)
{
    const QString path = storeIn("cfg-gbk");
    CConfig c(path);
    c.Load();
    // every byte a scramble can produce, including controls, '=', '\', '[' and 0x7F
    QByteArray scrambled;
    for (int b = 1; b <= 0x7F && scrambled.size() < 49; b += 3)
        scrambled.append(char(b));
    scrambled.append(char(0x7F));
    c.FileSharePwd = scrambled.left(49);
    const QString longName = QStringLiteral("研发部一组") + QString(30, QChar(0x6D4B)); // longer than 49 bytes
    UserGroupRecord g = InitUserGroupRecord(longName);
    g.visibleWhenHidden = 1;
    c.MemberGroups.append(g);
    c.memoGroupNames.insert(QStringLiteral("A1B2C3D4E5F6"), QStringLiteral("研发部一组"));
    c.GROUPNAMESTR_STR = QStringLiteral("技术支持部");
    ASSERT_TRUE(c.Save(CFG_GENERAL));

    CConfig back(path);
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.FileSharePwd, scrambled.left(49));
    const int at = back.FindMemberGroup(QStringLiteral("研发部一组") + QString(19, QChar(0x6D4B)));
    ASSERT_GE(at, 0); // cut to 49 bytes: 5 + 19 characters of two bytes
    EXPECT_EQ(back.MemberGroups[at].visibleWhenHidden, 1u);
    EXPECT_EQ(back.memoGroupNames.value(QStringLiteral("A1B2C3D4E5F6")), QStringLiteral("研发部一组"));
    EXPECT_EQ(back.GROUPNAMESTR_STR, QStringLiteral("技术支持部"));

    // A password is cut at its terminator and at 49 bytes.
    c.FileSharePwd = QByteArray("ab\0cd", 5);
    ASSERT_TRUE(c.Save(CFG_GENERAL));
    back.Load();
    EXPECT_EQ(back.FileSharePwd, QByteArray("ab"));
}

TEST(Config, ListsAreRepairedOnLoad)
{
    const QString path = storeIn("cfg-lists");
    {
        CRegistryKey key(kCompany, kProduct, path);
        // fixed groups missing, a duplicate and an empty name
        key.WriteList(QStringLiteral("MemberGroups"),
            { QStringLiteral("同事#~$#0"), QStringLiteral("同事#~$#1"), QStringLiteral("#~$#1") });
        key.WriteList(QStringLiteral("LASTPERSON_STR"),
            { QStringLiteral("王(PC)(IP:1.2.3.4)(w)(00-11-22-33-44-55)"), QStringLiteral("no address"),
                QStringLiteral("x(12)") });
        key.WriteList(QStringLiteral("IPMAC_STR"),
            { QStringLiteral("10.0.0.1#~$#001122334455"), QStringLiteral("10.0.0.256#~$#00"), QStringLiteral("junk") });
        key.WriteList(QStringLiteral("memoNickNames"), { QStringLiteral("K#~$#name"), QStringLiteral("#~$#nokey") });
        key.WriteList(QStringLiteral("QUICKREPLY_STR"), { QStringLiteral("一") });
        key.WriteBytes(QStringLiteral("ChatFont"), QByteArray(10, 'x'));
        ASSERT_TRUE(key.Flush());
    }
    CConfig c(path);
    ASSERT_TRUE(c.Load());
    QStringList names;
    for (const auto &g : c.MemberGroups)
        names.append(g.name);
    EXPECT_EQ(names, QStringList({ QStringLiteral("我的好友"), QStringLiteral("同事"), QStringLiteral("黑名单") }));
    EXPECT_EQ(c.MemberGroups[1].collapsed, 0u); // the first of the duplicates
    EXPECT_EQ(c.FindMemberGroup(QStringLiteral("同事")), 1);
    EXPECT_EQ(c.LastPersonKeys, QStringList(QStringLiteral("001122334455")));
    EXPECT_EQ(c.LastPersonTexts.size(), 1);
    EXPECT_EQ(c.IpToMac.size(), 1);
    EXPECT_EQ(c.IpToMac.value(0x0A000001), QStringLiteral("001122334455"));
    EXPECT_EQ(c.memoNickNames.size(), 1);
    EXPECT_EQ(c.QuickReplies[0], QStringLiteral("一"));
    EXPECT_EQ(c.QuickReplies[1], QStringLiteral("我现在正有点事，一会联系。"));
    EXPECT_EQ(c.chatFont, ChatFont::standard());
}

// A stored recent-contacts list longer than is kept (an earlier version kept
// every peer) is cut to the newest on load, and the file with it.
TEST(Config, AnOversizeRecentContactsListIsCutOnLoad)
{
    const QString path = storeIn("cfg-recent");
    const auto entry = [](int i) {
        return QStringLiteral("p%1(PC)(IP:10.0.0.%1)(w)(00-11-22-33-44-%2)").arg(i).arg(i, 2, 16, QLatin1Char('0'));
    };
    QStringList texts;
    for (int i = 0; i < 3 * CConfig::RecentContactsKept; ++i)
        texts.append(entry(i));
    {
        CRegistryKey key(kCompany, kProduct, path);
        key.WriteList(QStringLiteral("LASTPERSON_STR"), texts);
        ASSERT_TRUE(key.Flush());
    }
    CConfig c(path);
    ASSERT_TRUE(c.Load());
    EXPECT_EQ(c.LastPersonTexts, texts.mid(0, CConfig::RecentContactsKept));
    EXPECT_EQ(c.LastPersonKeys.size(), CConfig::RecentContactsKept);
    EXPECT_EQ(c.LastPersonKeys.first(), QStringLiteral("001122334400"));
    EXPECT_EQ(CRegistryKey(kCompany, kProduct, path).ReadList(QStringLiteral("LASTPERSON_STR")),
        texts.mid(0, CConfig::RecentContactsKept));
    // A list set longer in memory is written cut too.
    c.LastPersonTexts = texts;
    ASSERT_TRUE(c.Save(CFG_RECENT));
    EXPECT_EQ(CRegistryKey(kCompany, kProduct, path).ReadList(QStringLiteral("LASTPERSON_STR")).size(),
        CConfig::RecentContactsKept);
}

TEST(Config, BadFilesGiveDefaults)
{
    const QString path = storeIn("cfg-bad");
    CConfig good(path);
    good.Load();
    good.StartRun = 1;
    good.BroadcastList = { QStringLiteral("10.1.1.255") };
    ASSERT_TRUE(good.Save(CFG_ALL));
    const QByteArray valid = TestEnv::readAll(path);

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 251));
    const QList<QByteArray> files = { QByteArray(), valid.left(valid.size() / 2), garbage,
        QByteArray(100000, '\n') + "[", "\xef\xbb\xbf[General]\nStartRun=1" };
    for (const QByteArray &f : files) {
        ASSERT_TRUE(TestEnv::writeAll(path, f));
        CConfig c(path);
        c.Load();
        EXPECT_EQ(c.RETRYMAX_STR, 3);
        EXPECT_EQ(c.chatFont, ChatFont::standard());
        EXPECT_GE(c.MemberGroups.size(), 2);
        // and the store can be written again
        c.NoTice = 0;
        EXPECT_TRUE(c.Save(CFG_GENERAL));
        CConfig again(path);
        again.Load();
        EXPECT_EQ(again.NoTice, 0);
    }
}

TEST(Config, SaveSkipsUnchangedSectionsUnlessForced)
{
    const QString path = storeIn("cfg-force");
    CConfig c(path);
    c.Load();
    c.StartRun = 1;
    ASSERT_TRUE(c.Save(CFG_GENERAL));
    // Someone else changes the store behind the object's back.
    {
        CRegistryKey key(kCompany, kProduct, path);
        key.WriteInt(QStringLiteral("StartRun"), 0);
        ASSERT_TRUE(key.Flush());
    }
    ASSERT_TRUE(c.Save(CFG_GENERAL)); // nothing changed here: not written
    EXPECT_EQ(fileValues(path).value(QStringLiteral("StartRun")).toInt(), 0);
    ASSERT_TRUE(c.Save(CFG_GENERAL, true));
    EXPECT_EQ(fileValues(path).value(QStringLiteral("StartRun")).toInt(), 1);

    // Scheduled saves merge and are written later (or by the next save).
    c.RETRYMAX_STR = 5;
    c.BroadcastList = { QStringLiteral("1.2.3.255") };
    EXPECT_TRUE(c.Save(CFG_GENERAL, false, true));
    EXPECT_TRUE(c.Save(CFG_BROADCAST, false, true));
    EXPECT_EQ(c.PendingSaveMask(), uint32_t(CFG_GENERAL | CFG_BROADCAST));
    EXPECT_FALSE(fileValues(path).contains(QStringLiteral("BROADCAST_STR/0")));
    QElapsedTimer t;
    t.start();
    while (c.PendingSaveMask() != 0 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(c.PendingSaveMask(), 0u);
    const auto values = fileValues(path);
    EXPECT_EQ(values.value(QStringLiteral("RETRYMAX_STR")).toInt(), 5);
    EXPECT_EQ(values.value(QStringLiteral("BROADCAST_STR/0")).toString(), QStringLiteral("1.2.3.255"));
}

TEST(Config, SaveReplacesTheFileAtomicallyAndReportsFailure)
{
    const QString path = storeIn("cfg-atomic");
    CConfig c(path);
    c.Load();
    ASSERT_TRUE(c.Save(CFG_ALL, true));
    const QByteArray old = TestEnv::readAll(path);
    struct stat before;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile reader(path); // a reader that holds the old file open
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    c.FileShareInfo = QString(16000, QLatin1Char('s'));
    ASSERT_TRUE(c.Save(CFG_GENERAL));
    struct stat after;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file took the old one's name
    EXPECT_EQ(reader.readAll(), old); // the old one was never rewritten in place

    // A write that fails half-way (file size limit, as on a full disk) is
    // reported and leaves the stored file as it was.
    const QByteArray stored = TestEnv::readAll(path);
    c.FileShareInfo = QString(16000, QLatin1Char('t'));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = c.Save(CFG_GENERAL);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(TestEnv::readAll(path), stored);
    // The values are kept and written by the next save.
    EXPECT_TRUE(c.Save(CFG_GENERAL));
    EXPECT_EQ(fileValues(path).value(QStringLiteral("FileShareInfo")).toString(), c.FileShareInfo);

    // A store that cannot be created at all.
    ASSERT_TRUE(TestEnv::writeAll(TestEnv::home() + QStringLiteral("/plainfile"), "x"));
    CConfig nowhere(TestEnv::home() + QStringLiteral("/plainfile/sub/Kwel.ini"));
    nowhere.StartRun = 1;
    EXPECT_FALSE(nowhere.Save(CFG_GENERAL, true));
}

TEST(Config, KilledWriterNeverLeavesAPartialFile)
{
    const QString path = storeIn("cfg-crash");
    auto generation = [&](const SettingsFile::ValueMap &v) {
        const QString reply = v.value(QStringLiteral("StrReply")).toString();
        const QString share = v.value(QStringLiteral("FileShareInfo")).toString();
        // both values of one save name the same generation
        EXPECT_EQ(share, QString(100 + reply.toInt() % 7000, QLatin1Char('g')) + reply);
        return reply.toInt();
    };
    {
        CConfig c(path);
        c.StrReply = QStringLiteral("0");
        c.FileShareInfo = QString(100, QLatin1Char('g')) + c.StrReply;
        ASSERT_TRUE(c.Save(CFG_ALL, true));
    }
    int last = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CConfig c(path);
            for (int gen = last + 1;; ++gen) {
                c.StrReply = QString::number(gen);
                c.FileShareInfo = QString(100 + gen % 7000, QLatin1Char('g')) + c.StrReply;
                c.Save(CFG_GENERAL);
            }
        }
        usleep(useconds_t(2000 + round * 3000));
        if (round == 11) {
            // make sure the writers got somewhere, however slow the machine
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 10000
                && SettingsFile::parse(TestEnv::readAll(path)).values.value(QStringLiteral("StrReply")).toInt() <= last)
                usleep(5000);
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // The writer is gone: its lock files may go too (the next writer
        // would otherwise wait for them to become stale).
        for (QString lock = path + QStringLiteral(".lock"); QFile::exists(lock); lock += QStringLiteral(".rmlock"))
            QFile::remove(lock);
        const SettingsFile::ParseResult r = SettingsFile::parse(TestEnv::readAll(path));
        ASSERT_EQ(r.status, SettingsFile::Status::Ok) << "round " << round;
        last = std::max(last, generation(r.values));
    }
    EXPECT_GT(last, 0); // the writers got somewhere
    CConfig c(path);
    c.Load();
    EXPECT_EQ(c.StrReply.toInt(), last);
}

TEST(Config, AnAbandonedEmptyLockDoesNotBlockSaving)
{
    const QString path = storeIn("cfg-lock");
    const QString lock = path + QStringLiteral(".lock");
    ASSERT_TRUE(TestEnv::writeAll(lock, QByteArray()));
    QFile f(lock);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
    f.close();
    CConfig c(path);
    c.StartRun = 1;
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(c.Save(CFG_GENERAL));
    EXPECT_LT(t.elapsed(), 5000);
}

TEST(Config, DocumentationListsEveryValue)
{
    QFile doc(QString::fromUtf8(KWEL_SOURCE_DIR) + QStringLiteral("/docs/config-values.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly)) << doc.fileName().toStdString();
    const QString text = QString::fromUtf8(doc.readAll());
    auto listed
        = [&](const char *name) { return text.contains(QLatin1Char('`') + QLatin1String(name) + QLatin1Char('`')); };
    for (const auto &v : ConfigValues::ints())
        EXPECT_TRUE(listed(v.name)) << v.name;
    for (const auto &v : ConfigValues::words())
        EXPECT_TRUE(listed(v.name)) << v.name;
    for (const auto &v : ConfigValues::texts())
        EXPECT_TRUE(listed(v.name)) << v.name;
}

} // namespace

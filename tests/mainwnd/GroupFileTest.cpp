#include "PanelTestUtil.h"
#include "core/CXmlDocument.h"
#include "core/Gbk.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/GroupFile.h"
#include "platform/ScriptedPrompter.h"

#include <QDir>
#include <QFile>

namespace {

const QString kOwn = QStringLiteral("00163E0A0B0C");
const QString kA = QStringLiteral("AABBCCDDEE01");
const QString kB = QStringLiteral("AABBCCDDEE02");
const QString kC = QStringLiteral("AABBCCDDEE03");

QString info(std::initializer_list<const char16_t *> fields)
{
    QString text;
    for (const char16_t *f : fields)
        text += QString::fromUtf16(f) + GroupFile::kFieldSeparator;
    return text;
}

TEST(GroupFile, ExportIsTheDocumentOfTheFormat)
{
    CConfig config(TestEnv::freshDir(QStringLiteral("gf")) + QStringLiteral("/k.ini"));
    config.memoGroupNames.insert(kA, QStringLiteral("同事"));
    config.memoGroupNames.insert(kB, QStringLiteral("自己")); // never exported
    config.memoGroupNames.insert(kC, QString()); // no group: nothing to move
    config.memoNickNames.insert(kA, QStringLiteral("老王 & <小李>"));
    config.memoNickNames.insert(kOwn, QStringLiteral("我")); // the user's own
    config.memoNickNames.insert(kC, QStringLiteral("丙"));
    config.memoUsesInfos.insert(kA, info({u"1", u"2", u"\"3\"", u"a@b", u"北京", u"其他"}));
    config.memoUsesInfos.insert(kC, QStringLiteral("010#~$#"));

    const QByteArray expected = Gbk::encode(QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n"
        "<MemoGroups>\n"
        "\t<UserGroup MAC=\"AABBCCDDEE01\" GroupName=\"同事\" />\n"
        "</MemoGroups>\n"
        "<memoNickNames>\n"
        "\t<UserName MAC=\"AABBCCDDEE01\" NickName=\"老王 &amp; &lt;小李>\" OfficeTel=\"1\" HomeTel=\"2\" "
        "CellPhone=\"&quot;3&quot;\" Email=\"a@b\" Address=\"北京\" Others=\"其他\" />\n"
        "\t<UserName MAC=\"AABBCCDDEE03\" NickName=\"丙\" OfficeTel=\"010\" HomeTel=\"\" />\n"
        "</memoNickNames>\n"));
    EXPECT_EQ(GroupFile::Export(config, kOwn).ToBytes(), expected);
}

struct Maps
{
    QMap<QString, QString> groups, names, infos;
    bool operator==(const Maps &) const = default;
};

Maps maps(const CConfig &c)
{
    return {c.memoGroupNames, c.memoNickNames, c.memoUsesInfos};
}

TEST(GroupFile, ImportRulesAndTheRoundTrip)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("gfi"));
    CConfig config(dir + QStringLiteral("/k.ini"));
    config.memoGroupNames.insert(kA, QStringLiteral("同事"));
    config.memoNickNames.insert(kA, QStringLiteral("老王"));
    config.memoUsesInfos.insert(kA, info({u"1", u"2", u"3", u"4", u"5", u"6"}));
    CXmlDocument exported = GroupFile::Export(config, kOwn);
    const Maps before = maps(config);
    // On the same computer, replace mode changes nothing.
    GroupFile::ImportResult r = GroupFile::Import(exported, config, GroupFile::Mode::Replace, kOwn);
    EXPECT_TRUE(r.hadGroups);
    EXPECT_EQ(r.newGroups, QStringList{QStringLiteral("同事")}) << "a group name becomes a user group";
    EXPECT_EQ(maps(config), before);

    const QString name49 = QString(24, QChar(0x4E2D)) + QLatin1Char('x'); // 49 GBK bytes
    const QString name50 = QString(25, QChar(0x4E2D)); // 50 GBK bytes
    CXmlDocument doc;
    ASSERT_EQ(doc.SetText(QStringLiteral("<?xml version=\"1.0\" encoding=\"gb2312\" ?>"
                                         "<MemoGroups>"
                                         "<UserGroup MAC=\"AABBCCDDEE01\" GroupName=\"客户\"/>"
                                         "<UserGroup MAC=\"AABBCCDDEE02\" GroupName=\"客户\"/>"
                                         "<UserGroup MAC=\"00163E0A0B0C\" GroupName=\"客户\"/>"
                                         "<UserGroup MAC=\"AABBCC\" GroupName=\"客户\"/>"
                                         "<UserGroup MAC=\"AABBCCDDEE04\" GroupName=\"%1\"/>"
                                         "<UserGroup MAC=\"AABBCCDDEE05\" GroupName=\"自己\"/>"
                                         "</MemoGroups>"
                                         "<memoNickNames>"
                                         "<UserName MAC=\"AABBCCDDEE01\" NickName=\"新名\" OfficeTel=\"9\"/>"
                                         "<UserName MAC=\"AABBCCDDEE02\" NickName=\"%1\" OfficeTel=\" 8 \" "
                                         "HomeTel=\"a#~$#b\"/>"
                                         "<UserName MAC=\"AABBCCDDEE03\" NickName=\"%2\"/>"
                                         "<UserName MAC=\"AABBCCDDEE06\" NickName=\"空\" OfficeTel=\"\" HomeTel=\" \"/>"
                                         "</memoNickNames>")
                                  .arg(name49, name50)),
        CXmlDocument::Status::Ok);

    // Append: a peer in a group of the user's own keeps it, one in
    // "我的好友" moves; existing memo names and details stay.
    config.memoGroupNames.insert(kB, QStringLiteral("我的好友"));
    r = GroupFile::Import(doc, config, GroupFile::Mode::Append, kOwn);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(config.memoGroupNames.value(kA), QStringLiteral("同事"));
    EXPECT_EQ(config.memoGroupNames.value(kB), QStringLiteral("客户"));
    EXPECT_FALSE(config.memoGroupNames.contains(kOwn));
    EXPECT_FALSE(config.memoGroupNames.contains(QStringLiteral("AABBCC")));
    EXPECT_EQ(config.memoGroupNames.value(QStringLiteral("AABBCCDDEE04")), name49) << "49 bytes fit";
    EXPECT_FALSE(config.memoGroupNames.contains(QStringLiteral("AABBCCDDEE05")));
    EXPECT_EQ(r.newGroups, (QStringList{QStringLiteral("客户"), name49}));
    EXPECT_GE(config.FindMemberGroup(QStringLiteral("客户")), 0);
    EXPECT_EQ(config.memoNickNames.value(kA), QStringLiteral("老王")) << "a memo name is never replaced";
    EXPECT_EQ(config.memoUsesInfos.value(kA), info({u"1", u"2", u"3", u"4", u"5", u"6"}));
    EXPECT_EQ(config.memoNickNames.value(kB), name49);
    // Trimmed, and a separator inside a field cannot shift the others.
    EXPECT_EQ(config.memoUsesInfos.value(kB), info({u"8", u"ab", u"", u"", u"", u""}));
    EXPECT_FALSE(config.memoNickNames.contains(kC)) << "a 50-byte memo name is not taken";
    EXPECT_EQ(config.memoNickNames.value(QStringLiteral("AABBCCDDEE06")), QStringLiteral("空"));
    EXPECT_FALSE(config.memoUsesInfos.contains(QStringLiteral("AABBCCDDEE06"))) << "all six empty: no details";

    // Replace: group assignments and details are overwritten.
    r = GroupFile::Import(doc, config, GroupFile::Mode::Replace, kOwn);
    EXPECT_TRUE(r.newGroups.isEmpty());
    EXPECT_EQ(config.memoGroupNames.value(kA), QStringLiteral("客户"));
    EXPECT_EQ(config.memoUsesInfos.value(kA), info({u"9", u"", u"", u"", u"", u""}));

    // New details of a peer whose memo name stays are a change to save too;
    // the same file once more is none.
    config.memoUsesInfos.remove(kA);
    CXmlDocument details;
    ASSERT_EQ(details.SetText(QStringLiteral("<memoNickNames><UserName MAC=\"AABBCCDDEE01\" NickName=\"老王\" "
                                             "CellPhone=\"139\"/></memoNickNames>")),
        CXmlDocument::Status::Ok);
    r = GroupFile::Import(details, config, GroupFile::Mode::Replace, kOwn);
    EXPECT_FALSE(r.hadGroups);
    EXPECT_TRUE(r.changed) << "only the details are new";
    EXPECT_EQ(config.memoUsesInfos.value(kA), info({u"", u"", u"139", u"", u"", u""}));
    r = GroupFile::Import(details, config, GroupFile::Mode::Replace, kOwn);
    EXPECT_FALSE(r.changed);
}

TEST(GroupFile, PanelCommandsTellTheOutcome)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Panel p;
    p.config.memoGroupNames.insert(kA, QStringLiteral("同事"));
    p.config.memoNickNames.insert(kA, QStringLiteral("老王"));
    const QString dir = TestEnv::freshDir(QStringLiteral("gfp"));

    // The extension is added; the file is the export.
    prompter.queueSaveFile(dir + QStringLiteral("/groups"));
    p.panel->OnExportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导出成功！"));
    EXPECT_EQ(TestEnv::readAll(dir + QStringLiteral("/groups.xml")), GroupFile::Export(p.config, p.net.ownMac()).ToBytes());
    // The extension names a file that exists: replaced only when the user
    // says so.
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/groups.xml"), "kept"));
    prompter.queueSaveFile(dir + QStringLiteral("/groups"));
    prompter.queueButton(Prompter::Button::No);
    p.panel->OnExportGroups();
    EXPECT_EQ(TestEnv::readAll(dir + QStringLiteral("/groups.xml")), QByteArray("kept"));
    prompter.queueSaveFile(dir + QStringLiteral("/groups"));
    prompter.queueButton(Prompter::Button::Yes);
    p.panel->OnExportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导出成功！"));
    EXPECT_EQ(TestEnv::readAll(dir + QStringLiteral("/groups.xml")), GroupFile::Export(p.config, p.net.ownMac()).ToBytes());
    // A write that fails is told.
    prompter.queueSaveFile(dir + QStringLiteral("/no/such/folder/groups.xml"));
    p.panel->OnExportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导出失败！"));

    // Import into an empty configuration (Yes: replace); the view is rebuilt.
    p.config.memoGroupNames.clear();
    p.config.memoNickNames.clear();
    p.announce(0x7F000005, QStringLiteral("张三"), kA);
    const HostRecord *peer = p.engine->FindHost(0x7F000005, 2425);
    ASSERT_TRUE(peer);
    prompter.queueOpenFile(dir + QStringLiteral("/groups.xml"));
    prompter.queueButton(Prompter::Button::Yes);
    p.panel->OnImportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导入成功！"));
    EXPECT_EQ(p.config.memoGroupNames.value(kA), QStringLiteral("同事"));
    EXPECT_EQ(p.config.memoNickNames.value(kA), QStringLiteral("老王"));
    // The group made for the file starts open: the peer moved into it is in
    // sight, and stays so after a restart.
    const ContactTreeModel *tree = p.panel->messengerPage()->contacts().treeModel();
    EXPECT_FALSE(tree->IsGroupCollapsed(QStringLiteral("同事"), true));
    EXPECT_EQ(tree->hostAt(tree->rowOfGroup(QStringLiteral("同事"), true) + 1), peer);
    CConfig stored(p.config.StorePath());
    stored.Load();
    const int made = stored.FindMemberGroup(QStringLiteral("同事"));
    ASSERT_GE(made, 0);
    EXPECT_EQ(stored.MemberGroups[made].collapsed, 0u);
    // Cancel at the question: nothing happens.
    const qsizetype calls = prompter.calls().size();
    prompter.queueOpenFile(dir + QStringLiteral("/groups.xml"));
    prompter.queueButton(Prompter::Button::Cancel);
    p.panel->OnImportGroups();
    EXPECT_EQ(prompter.calls().size(), calls + 2);
    // A file that is not a group file.
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/other.xml"), "<?xml version=\"1.0\"?><other/>"));
    prompter.queueOpenFile(dir + QStringLiteral("/other.xml"));
    prompter.queueButton(Prompter::Button::No);
    p.panel->OnImportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导入失败！"));

    // Groups the settings file cannot take are told with its path; the
    // groups and memos stay as they were, and the import can be tried again.
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/new.xml"),
        "<?xml version=\"1.0\"?><MemoGroups><UserGroup MAC=\"AABBCCDDEE02\" GroupName=\"sales\" /></MemoGroups>"));
    const QList<UserGroupRecord> groups = p.config.MemberGroups;
    const QMap<QString, QString> memos = p.config.memoGroupNames;
    ASSERT_TRUE(QFile::remove(p.config.StorePath()));
    ASSERT_TRUE(QDir().mkpath(p.config.StorePath() + QStringLiteral("/held")));
    prompter.queueOpenFile(dir + QStringLiteral("/new.xml"));
    prompter.queueButton(Prompter::Button::No);
    p.panel->OnImportGroups();
    EXPECT_TRUE(prompter.calls().last().text.startsWith(QStringLiteral("导入失败！")));
    EXPECT_TRUE(prompter.calls().last().text.contains(p.config.StorePath())) << prompter.calls().last().text.toStdString();
    EXPECT_EQ(p.config.MemberGroups, groups);
    EXPECT_EQ(p.config.FindMemberGroup(QStringLiteral("sales")), -1);
    EXPECT_EQ(p.config.memoGroupNames, memos);
    EXPECT_EQ(tree->rowOfGroup(QStringLiteral("sales"), true), -1);
    ASSERT_TRUE(QDir(p.config.StorePath()).removeRecursively());
    prompter.queueOpenFile(dir + QStringLiteral("/new.xml"));
    prompter.queueButton(Prompter::Button::No);
    p.panel->OnImportGroups();
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("导入成功！"));
    EXPECT_EQ(p.config.memoGroupNames.value(kB), QStringLiteral("sales"));
}

} // namespace

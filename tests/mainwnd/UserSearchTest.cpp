#include "core/PinyinForms.h"
#include "mainwnd/UserSearch.h"
#include "net/CHostTable.h"
#include "ContactTestUtil.h"

#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

struct Peers
{
    HostPtr add(const QString &nick, quint32 address, const QString &login = QStringLiteral("user"),
        const QString &group = {}, quint16 port = 2425)
    {
        HostPtr h = host(nick, group, address, login, QStringLiteral("PC-%1").arg(address & 0xFF));
        h->key.port = port;
        owned.push_back(h);
        list.append(h.data());
        return h;
    }
    QStringList search(const QString &text) const
    {
        QStringList nicks;
        for (const UserPickEntry &e : UserSearch::Run(list, text))
            nicks << e.nick;
        return nicks;
    }
    std::vector<HostPtr> owned;
    QList<HostRecord *> list;
};

TEST(UserSearch, ChineseNamesByInitialsSyllablesAndAsTyped)
{
    Peers p;
    p.add(u("张伟"), 0x0A000001);
    p.add(u("王芳"), 0x0A000002);
    p.add(u("庄强"), 0x0A000003);
    p.add(u("Tom李"), 0x0A000004);
    EXPECT_EQ(p.search(u("zw")), QStringList{ u("张伟") });
    EXPECT_EQ(p.search(u("zhang")), QStringList{ u("张伟") });
    EXPECT_EQ(p.search(u("zhangwei")), QStringList{ u("张伟") });
    EXPECT_EQ(p.search(u("张")), QStringList{ u("张伟") });
    EXPECT_EQ(p.search(u("wf")), QStringList{ u("王芳") });
    // A six-letter syllable is matched whole, also followed by the next one.
    EXPECT_EQ(p.search(u("zhuang")), QStringList{ u("庄强") });
    EXPECT_EQ(p.search(u("zhuangq")), QStringList{ u("庄强") });
    // Latin and Chinese mixed, in any case.
    EXPECT_EQ(p.search(u("tomli")), QStringList{ u("Tom李") });
    EXPECT_EQ(p.search(u("TOML")), QStringList{ u("Tom李") });
    EXPECT_TRUE(p.search(u("zz")).isEmpty());
}

TEST(UserSearch, ExactMatchesComeFirstAndTenIsTheLimit)
{
    Peers p;
    p.add(u("lily"), 0x0A000001);
    p.add(u("li"), 0x0A000002);
    EXPECT_EQ(p.search(u("LI")), (QStringList{ u("li"), u("lily") }));

    // Ten exact matches: the substring pass does not run.
    Peers ten;
    ten.add(u("lily"), 0x0A000001);
    for (int i = 0; i < 12; ++i)
        ten.add(u("li"), 0x0A000010 + quint32(i));
    const QStringList found = ten.search(u("li"));
    EXPECT_EQ(found.size(), UserSearch::kMaxResults);
    EXPECT_FALSE(found.contains(u("lily")));

    // Nine exact matches leave room for one substring match.
    Peers nine;
    nine.add(u("lily"), 0x0A000001);
    for (int i = 0; i < 9; ++i)
        nine.add(u("li"), 0x0A000010 + quint32(i));
    EXPECT_EQ(nine.search(u("li")).last(), u("lily"));
}

TEST(UserSearch, OneResultPerPeerRecord)
{
    Peers p;
    // Matches in its nick, login and group: listed once.
    p.add(u("abc"), 0x0A000001, u("abc"), u("abc"));
    // Two peers behind one address (two ports): both listed.
    p.add(u("x1"), 0x0A000009, u("user"), {}, 2425);
    p.add(u("x2"), 0x0A000009, u("user"), {}, 2426);
    EXPECT_EQ(p.search(u("abc")), QStringList{ u("abc") });
    EXPECT_EQ(p.search(u("10.0.0.9")), (QStringList{ u("x1"), u("x2") }));
    const QList<UserPickEntry> both = UserSearch::Run(p.list, u("10.0.0.9"));
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].port, 2425);
    EXPECT_EQ(both[1].port, 2426);
    EXPECT_EQ(both[1].dottedAddress(), u("10.0.0.9"));
}

TEST(UserSearch, MatchesWholeCharactersOnly)
{
    Peers p;
    // GBK 81 40 and 81 5C: trail bytes '@' and '\' inside one character.
    p.add(u("丂"), 0x0A000001);
    p.add(u("丗"), 0x0A000002);
    EXPECT_TRUE(p.search(u("@")).isEmpty());
    EXPECT_TRUE(p.search(u("\\")).isEmpty());
    EXPECT_EQ(p.search(u("丂")), QStringList{ u("丂") });
}

TEST(UserSearch, FieldsAndAddresses)
{
    Peers p;
    p.add(u("甲"), 0x0A000001, u("jdoe"), u("研发部"));
    HostPtr b = p.add(u("乙"), 0xC0A80102, u("bob"));
    b->customGroup = u("同事");
    EXPECT_EQ(p.search(u("jdoe")), QStringList{ u("甲") }); // login
    EXPECT_EQ(p.search(u("yfb")), QStringList{ u("甲") }); // group by initials
    EXPECT_EQ(p.search(u("ts")), QStringList{ u("乙") }); // custom group by initials
    EXPECT_EQ(p.search(u("pc-2")), QStringList{ u("乙") }); // host name, any case
    EXPECT_EQ(p.search(u("168.1")), QStringList{ u("乙") }); // address as text
    // A peer without a nick is found by its login as its name.
    HostPtr c = p.add(QString(), 0x0A000003, u("carol"));
    const QList<UserPickEntry> found = UserSearch::Run(p.list, u("carol"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].nick, u("carol"));
    EXPECT_EQ(found[0].image, 4); // head icon 3 + 1
    EXPECT_TRUE(UserSearch::Run(p.list, QString()).isEmpty());
}

TEST(UserSearch, PickedPeerIsFoundAgainByAddressAndPort)
{
    CHostTable table;
    HostPtr a = host(u("a"), {}, 0x0A000001);
    HostPtr b = host(u("b"), {}, 0x0A000001, u("other"));
    b->key.port = 2426;
    table.Insert(a.data());
    table.Insert(b.data());
    UserPickEntry pick = UserPickEntry::FromHost(*b);
    EXPECT_EQ(FindPickedHost(table, pick), b.data());
    EXPECT_EQ(HostsInTableOrder(table).size(), 2);
    table.Remove(b.data());
    EXPECT_EQ(FindPickedHost(table, pick), nullptr); // gone: nothing to open
}

} // namespace

namespace {

TEST(UserSearch, KeptPinyinFollowsTheRecordAsItChanges)
{
    Peers p;
    HostPtr h = p.add(u("张伟"), 0x0A000001);
    EXPECT_EQ(p.search(u("zw")), QStringList{ u("张伟") });
    // A memo name, a change in place and a new custom group are all seen by
    // the next keystroke; the old name's pinyin no longer matches.
    h->displayName = u("李娜");
    EXPECT_TRUE(p.search(u("zw")).isEmpty());
    EXPECT_EQ(p.search(u("ln")), QStringList{ u("李娜") });
    h->displayName[1] = QChar(u'明');
    EXPECT_EQ(p.search(u("liming")), QStringList{ u("李明") });
    EXPECT_TRUE(p.search(u("lina")).isEmpty());
    h->key.address = 0x0A000909;
    EXPECT_EQ(p.search(u("10.0.9.9")), QStringList{ u("李明") });
}

// The quick passes over a peer's kept forms never hide a match that a search
// through its pinyin would find: every part of every form is found, and
// texts that are in no form are not.
TEST(PinyinForms, FindsEveryPartOfEveryForm)
{
    const QString texts[] = { u("张伟"), u("PC-7"), u("研发部Ⅻ"), u("Tom李"), QString() };
    const QString *pointers[] = { &texts[0], &texts[1], &texts[2], &texts[3], &texts[4] };
    PinyinForms forms;
    forms.Update(pointers);
    EXPECT_EQ(forms.forms(), (QStringList{ u("zhangwei"), u("zw"), u("yanfabuxii"), u("yfbxii"), u("tomli"), u("toml") }));
    for (const QString &form : forms.forms())
        for (qsizetype at = 0; at < form.size(); ++at)
            for (qsizetype n = 1; at + n <= form.size(); ++n)
                EXPECT_TRUE(forms.Contains(PinyinForms::Needle(QStringView(form).mid(at, n)))) << form.mid(at, n).toStdString();
    for (const char *absent : { "wz", "weiy", "ix", "zwy" })
        EXPECT_FALSE(forms.Contains(PinyinForms::Needle(QString::fromLatin1(absent)))) << absent;
}

} // namespace

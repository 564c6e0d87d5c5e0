#include "mainwnd/ContactCommands.h"
#include "mainwnd/ContactTreeModel.h"
#include "ContactTestUtil.h"

#include <gtest/gtest.h>

using namespace ContactTest;
using namespace ContactCommands;

namespace {

HostPtr peer(const QString &nick, const QString &ownGroup, const QString &key, const QString &custom = u("我的好友"))
{
    HostPtr h = host(nick, ownGroup);
    h->keyText = key;
    h->customGroup = custom;
    return h;
}

TEST(ContactCommands, GroupNamesAreCheckedBeforeAnythingChanges)
{
    auto c = config({ { u("我的好友"), false }, { u("同事"), false }, { u("黑名单"), true } });
    EXPECT_EQ(CheckGroupName(*c, u("   ")), NameCheck::Empty);
    EXPECT_EQ(CheckGroupName(*c, QString(25, QChar(0x738B))), NameCheck::TooLong) << "50 GBK bytes";
    EXPECT_EQ(CheckGroupName(*c, QString(24, QChar(0x738B))), NameCheck::Ok);
    EXPECT_EQ(CheckGroupName(*c, u("黑名单")), NameCheck::Exists);
    EXPECT_EQ(CheckGroupName(*c, u("对方未分组好友")), NameCheck::Reserved);
    EXPECT_EQ(CheckGroupName(*c, u("同事"), u("同事")), NameCheck::Ok) << "its own name";
    EXPECT_EQ(NameCheckText(NameCheck::Exists, false), u("您要新增的组名已存在."));
    EXPECT_EQ(NameCheckText(NameCheck::Exists, true), u("修改后的组名已存在。"));

    EXPECT_EQ(AddGroup(*c, u("同事"), false), NameCheck::Exists);
    EXPECT_EQ(c->MemberGroups.size(), 3);
    // First: every older group moves up one and the index follows.
    EXPECT_EQ(AddGroup(*c, u("朋友"), true), NameCheck::Ok);
    EXPECT_EQ(c->FindMemberGroup(u("朋友")), 0);
    EXPECT_EQ(c->MemberGroupIndex.value(u("同事")), 2);
    EXPECT_EQ(c->MemberGroups[0].collapsed, 0u) << "a new group starts open";
    EXPECT_EQ(AddGroup(*c, u("家人"), false), NameCheck::Ok);
    EXPECT_EQ(c->FindMemberGroup(u("家人")), 4);
}

TEST(ContactCommands, RenameReachesEveryPeerAndStoredEntry)
{
    auto c = config({ { u("我的好友"), false }, { u("同事"), false }, { u("黑名单"), true } });
    c->memoGroupNames.insert(u("AAAAAAAAAAAA"), u("同事")); // offline
    c->memoGroupNames.insert(u("BBBBBBBBBBBB"), u("同事"));
    c->memoGroupNames.insert(u("CCCCCCCCCCCC"), u("黑名单"));
    HostPtr b = peer(u("老李"), {}, u("BBBBBBBBBBBB"), u("同事"));
    HostPtr d = peer(u("老王"), {}, u("DDDDDDDDDDDD"));
    EXPECT_EQ(RenameGroup(*c, { b.data(), d.data() }, u("同事"), u("黑名单")), NameCheck::Exists);
    EXPECT_EQ(RenameGroup(*c, { b.data() }, u("黑名单"), u("坏人")), NameCheck::Reserved);
    EXPECT_EQ(RenameGroup(*c, { b.data(), d.data() }, u("同事"), u("伙伴")), NameCheck::Ok);
    EXPECT_EQ(c->FindMemberGroup(u("伙伴")), 1);
    EXPECT_EQ(c->FindMemberGroup(u("同事")), -1);
    EXPECT_EQ(c->memoGroupNames.value(u("AAAAAAAAAAAA")), u("伙伴"));
    EXPECT_EQ(c->memoGroupNames.value(u("BBBBBBBBBBBB")), u("伙伴"));
    EXPECT_EQ(c->memoGroupNames.value(u("CCCCCCCCCCCC")), u("黑名单"));
    EXPECT_EQ(b->customGroup, u("伙伴"));
    EXPECT_EQ(d->customGroup, u("我的好友"));
}

TEST(ContactCommands, MovingAPeerGroupNodeMovesExactlyItsMembers)
{
    auto c = config({ { u("我的好友"), false }, { u("黑名单"), true } });
    c->ObjectGroupStatus.insert(u("对方未分组好友"), u("1"));
    HostPtr a = peer(u("甲"), {}, u("AAAAAAAAAAAA"));
    HostPtr b = peer(u("乙"), u("  "), u("BBBBBBBBBBBB"));
    HostPtr other = peer(u("丙"), u("销售部"), u("CCCCCCCCCCCC"));
    HostPtr kept = peer(u("丁"), {}, u("DDDDDDDDDDDD"), u("黑名单"));
    HostPtr noKey = peer(u("戊"), {}, QString());
    const QList<HostRecord *> all { a.data(), b.data(), other.data(), kept.data(), noKey.data() };

    const QString name = GroupNameForPeerNode(ContactTreeModel::UngroupedPeers());
    EXPECT_EQ(name, u("其他好友"));
    EXPECT_TRUE(MovePeerGroup(*c, all, ContactTreeModel::UngroupedPeers(), name, false).isEmpty())
        << "no such group and not to be made";
    EXPECT_TRUE(MovePeerGroup(*c, all, ContactTreeModel::UngroupedPeers(), u("我的好友"), true).isEmpty());
    const auto moved = MovePeerGroup(*c, all, ContactTreeModel::UngroupedPeers(), name, true);
    EXPECT_EQ(moved, (QList<HostRecord *>{ a.data(), b.data() }));
    const int position = c->FindMemberGroup(u("其他好友"));
    ASSERT_GE(position, 0);
    EXPECT_EQ(c->MemberGroups[position].collapsed, 1u) << "the node's collapsed state";
    EXPECT_EQ(a->customGroup, u("其他好友"));
    EXPECT_EQ(c->memoGroupNames.value(u("BBBBBBBBBBBB")), u("其他好友"));
    EXPECT_EQ(other->customGroup, u("我的好友"));
    EXPECT_EQ(kept->customGroup, u("黑名单"));
    EXPECT_FALSE(c->memoGroupNames.contains(QString()));

    // One peer: only into a group that exists, once.
    EXPECT_FALSE(MovePeer(*c, *other, u("没有")));
    EXPECT_TRUE(MovePeer(*c, *other, u("其他好友")));
    EXPECT_FALSE(MovePeer(*c, *other, u("其他好友")));
    EXPECT_FALSE(MovePeer(*c, *noKey, u("其他好友")));
}

TEST(ContactCommands, MemoNamesDetailsAndRights)
{
    auto c = config({ { u("我的好友"), false } });
    HostPtr h = peer(u("老李"), {}, u("AAAAAAAAAAAA"));
    SetMemo(*c, *h, u(" 李经理 "), JoinMemoDetails({ u("123"), {}, {}, {}, {}, {} }));
    EXPECT_EQ(h->displayName, u("李经理"));
    EXPECT_EQ(c->memoNickNames.value(u("AAAAAAAAAAAA")), u("李经理"));
    EXPECT_EQ(c->memoUsesInfos.value(u("AAAAAAAAAAAA")), u("123#~$##~$##~$##~$##~$##~$#"));
    EXPECT_EQ(SplitMemoDetails(c->memoUsesInfos.value(u("AAAAAAAAAAAA"))).value(0), u("123"));
    EXPECT_EQ(SplitMemoDetails(QString()).size(), kMemoDetailCount);
    // Separators and blanks only: the entry goes; an empty name shows the nick.
    SetMemo(*c, *h, QString(), u(" #~$# #~$##~$#"));
    EXPECT_EQ(h->displayName, u("老李"));
    EXPECT_FALSE(c->memoNickNames.contains(u("AAAAAAAAAAAA")));
    EXPECT_FALSE(c->memoUsesInfos.contains(u("AAAAAAAAAAAA")));

    UserGroupRecord to = InitUserGroupRecord(u("同事"));
    to.visibleWhenHidden = 1;
    to.sortWord = 9;
    UserGroupRecord from = InitUserGroupRecord(u("别的"));
    from.voiceCustom = 1;
    from.groupBlacklisted = 1;
    from.soundFile = u("/tmp/a.wav");
    CopyRights(from, to);
    EXPECT_EQ(to.name, u("同事"));
    EXPECT_EQ(to.visibleWhenHidden, 1u);
    EXPECT_EQ(to.sortWord, 9u);
    EXPECT_EQ(to.voiceCustom, 1u);
    EXPECT_EQ(to.groupBlacklisted, 1u);
    EXPECT_EQ(to.soundFile, u("/tmp/a.wav"));

    EXPECT_FALSE(ToggleVisibleWhenHidden(*c, u("黑名单")));
    EXPECT_FALSE(ToggleVisibleWhenHidden(*c, u("没有")));
    EXPECT_TRUE(ToggleVisibleWhenHidden(*c, u("我的好友")));
    EXPECT_EQ(c->MemberGroups[0].visibleWhenHidden, 1u);
}

TEST(ContactCommands, SchemesSetTheMainAndChatColours)
{
    auto c = config({});
    EXPECT_FALSE(SchemeOf(33123));
    ASSERT_TRUE(SchemeOf(33119));
    EXPECT_EQ(SchemeOf(33119)->frame, SchemeOf(33116)->frame) << "天际蓝 and 颜色恢复 agree";
    SetSkin(*c, *SchemeOf(33117));
    EXPECT_EQ(c->MainBarFrameColor, 0xD490E5u);
    EXPECT_EQ(c->MainBarRightBtm2Color, 0xF8DDFFu);
    EXPECT_EQ(c->ChatBkColor1, 0xFAE8FFu);
    EXPECT_EQ(c->ChatBkColor2, 0xF8DDFFu);
    EXPECT_EQ(c->ChatMsgWndFrameClr, 0xD490E5u);
    EXPECT_EQ(CurrentSkin(*c).leftTop, 0xFAE8FFu);
    EXPECT_EQ(SortKindOfCommand(33073), SortByHost);
    EXPECT_EQ(SortKindOfCommand(33076), SortByAddress);
    EXPECT_EQ(SortKindOfCommand(33077), -1);
}

TEST(ContactTreeModel, SortCommandWritesTheGroupsKindAndTheTreeFollows)
{
    auto c = config({ { u("我的好友"), false }, { u("同事"), false } });
    c->MyFriendsAutoGroup = 0;
    c->MemberGroups[1].sortWord = 8; // descending by name
    ContactTreeModel model(c.get());
    HostPtr a = host(u("a"), {}, 0x0A000003, u("zz"));
    HostPtr b = host(u("b"), {}, 0x0A000001, u("yy"));
    for (HostPtr *h : { &a, &b })
        (*h)->customGroup = u("同事");
    model.Fill({ a.data(), b.data() });
    const int node = model.rowOfGroup(u("同事"), true);
    EXPECT_EQ(model.hostAt(node + 1), b.data());
    EXPECT_TRUE(model.SetGroupSortKind(u("同事"), true, SortByAddress));
    EXPECT_EQ(c->MemberGroups[1].sortWord, 8u + SortByAddress) << "the direction is kept";
    EXPECT_EQ(model.GroupSortKind(u("同事"), true), SortByAddress);
    EXPECT_EQ(model.hostAt(node + 1), a.data()) << "descending by address";
    // A peer that arrives later goes where the chosen kind puts it.
    HostPtr late = host(u("c"), {}, 0x0A000002, u("xx"));
    late->customGroup = u("同事");
    model.AddUser(late.data());
    EXPECT_EQ(model.hostAt(node + 2), late.data());
    EXPECT_FALSE(model.SetGroupSortKind(u("没有"), true, SortByName));
}

} // namespace

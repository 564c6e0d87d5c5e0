#include "mainwnd/ContactCommands.h"

#include "core/CConfig.h"
#include "core/ConfigRecords.h"
#include "core/Gbk.h"
#include "core/StatusBits.h"
#include "mainwnd/ContactSort.h"
#include "mainwnd/ContactTreeModel.h"
#include "net/HostRecord.h"

namespace ContactCommands {
namespace {

constexpr qsizetype kNameBytes = 49;

QString memoSeparator()
{
    return QStringLiteral("#~$#");
}

} // namespace

NameCheck CheckGroupName(const CConfig &config, const QString &name, const QString &oldName)
{
    if (name.trimmed().isEmpty())
        return NameCheck::Empty;
    if (Gbk::byteLength(name) > kGroupNameBytes)
        return NameCheck::TooLong;
    // The label of the node of peers without a group of their own.
    if (name == ContactTreeModel::UngroupedPeers())
        return NameCheck::Reserved;
    if (name != oldName && config.FindMemberGroup(name) >= 0)
        return NameCheck::Exists;
    return NameCheck::Ok;
}

QString NameCheckText(NameCheck check, bool rename)
{
    switch (check) {
    case NameCheck::Ok:
        return {};
    case NameCheck::Empty:
        return QStringLiteral("组名不能为空.");
    case NameCheck::TooLong:
        return QStringLiteral("组名太长,最多%1个字节(%2个汉字).").arg(kGroupNameBytes).arg(kGroupNameBytes / 2);
    case NameCheck::Reserved:
        return QStringLiteral("该组名为系统保留,请换一个组名.");
    case NameCheck::Exists:
        return rename ? QStringLiteral("修改后的组名已存在。") : QStringLiteral("您要新增的组名已存在.");
    }
    return {};
}

NameCheck AddGroup(CConfig &config, const QString &name, bool first)
{
    const NameCheck check = CheckGroupName(config, name);
    if (check != NameCheck::Ok)
        return check;
    if (first)
        config.MemberGroups.prepend(OpenUserGroupRecord(name));
    else
        config.MemberGroups.append(OpenUserGroupRecord(name));
    config.RebuildGroupIndex();
    return NameCheck::Ok;
}

bool CanRename(const QString &group)
{
    return !group.isEmpty() && group != DefaultGroups::MyFriends() && group != DefaultGroups::BlackList();
}

bool CanSetRights(const QString &group)
{
    return !group.isEmpty() && group != DefaultGroups::BlackList();
}

NameCheck RenameGroup(CConfig &config, const QList<HostRecord *> &peers, const QString &oldName, const QString &newName)
{
    const int position = config.FindMemberGroup(oldName);
    if (position < 0 || !CanRename(oldName))
        return NameCheck::Reserved;
    const NameCheck check = CheckGroupName(config, newName, oldName);
    if (check != NameCheck::Ok || newName == oldName)
        return check;
    config.MemberGroups[position].name = newName;
    config.RebuildGroupIndex();
    for (auto it = config.memoGroupNames.begin(); it != config.memoGroupNames.end(); ++it)
        if (it.value() == oldName)
            it.value() = newName;
    for (HostRecord *peer : peers)
        if (peer && peer->customGroup == oldName)
            peer->customGroup = newName;
    return NameCheck::Ok;
}

QString GroupNameForPeerNode(const QString &node)
{
    if (node.isEmpty() || node == ContactTreeModel::UngroupedPeers())
        return QStringLiteral("其他好友");
    // A peer's group name may be longer than a user group's.
    return Gbk::truncate(node, kGroupNameBytes);
}

QList<HostRecord *> MovePeerGroup(CConfig &config, const QList<HostRecord *> &peers, const QString &node,
    const QString &group, bool create)
{
    if (group == DefaultGroups::MyFriends())
        return {}; // they are there already
    if (config.FindMemberGroup(group) < 0) {
        if (!create || CheckGroupName(config, group) != NameCheck::Ok)
            return {};
        UserGroupRecord record = InitUserGroupRecord(group);
        record.collapsed = config.ObjectGroupStatus.value(node) == QLatin1String("1") ? 1 : 0;
        config.MemberGroups.append(record);
        config.RebuildGroupIndex();
    }
    QList<HostRecord *> moved;
    for (HostRecord *peer : peers) {
        if (!peer || peer->keyText.isEmpty() || peer->customGroup != DefaultGroups::MyFriends())
            continue;
        if (ContactTreeModel::PeerGroupName(*peer) != node)
            continue;
        config.memoGroupNames.insert(peer->keyText, group);
        peer->customGroup = Gbk::truncate(group, kNameBytes);
        moved.append(peer);
    }
    return moved;
}

bool MovePeer(CConfig &config, HostRecord &peer, const QString &group)
{
    if (peer.keyText.isEmpty() || config.FindMemberGroup(group) < 0 || peer.customGroup == group)
        return false;
    config.memoGroupNames.insert(peer.keyText, group);
    peer.customGroup = Gbk::truncate(group, kNameBytes);
    return true;
}

int SortKindOfCommand(int id)
{
    static constexpr int kinds[] = { SortByName, SortByHost, SortByLogin, SortByGroup, SortByAddress };
    const int index = id - 33072;
    return index >= 0 && index < int(std::size(kinds)) ? kinds[index] : -1;
}

void CopyRights(const UserGroupRecord &from, UserGroupRecord &to)
{
    const UserGroupRecord kept = to;
    to = from;
    to.name = kept.name;
    to.collapsed = kept.collapsed;
    to.secondFlag = kept.secondFlag;
    to.memberCount = kept.memberCount;
    to.sortWord = kept.sortWord;
    to.reservedWord = kept.reservedWord;
    to.visibleWhenHidden = kept.visibleWhenHidden;
}

bool ToggleVisibleWhenHidden(CConfig &config, const QString &group)
{
    const int position = config.FindMemberGroup(group);
    if (position < 0 || !CanSetRights(group))
        return false;
    uint32_t &flag = config.MemberGroups[position].visibleWhenHidden;
    flag = flag ? 0 : 1;
    return true;
}

void SetMemo(CConfig &config, HostRecord &peer, const QString &memoName, const QString &details)
{
    if (peer.keyText.isEmpty())
        return;
    const QString name = memoName.trimmed();
    if (!name.isEmpty()) {
        config.memoNickNames.insert(peer.keyText, Gbk::truncate(name, kMemoNameBytes));
        peer.displayName = Gbk::truncate(name, kMemoNameBytes);
    } else {
        config.memoNickNames.remove(peer.keyText);
        peer.displayName = peer.nickName.isEmpty() ? peer.key.loginName() : peer.nickName;
    }
    if (QString(details).remove(memoSeparator()).trimmed().isEmpty())
        config.memoUsesInfos.remove(peer.keyText);
    else
        config.memoUsesInfos.insert(peer.keyText, details);
}

QStringList SplitMemoDetails(const QString &text)
{
    QStringList fields = text.split(memoSeparator());
    while (fields.size() < kMemoDetailCount)
        fields.append(QString());
    return fields.mid(0, kMemoDetailCount);
}

QString JoinMemoDetails(const QStringList &fields)
{
    QString text;
    for (int i = 0; i < kMemoDetailCount; ++i)
        text += fields.value(i) + memoSeparator();
    return text;
}

std::optional<SkinColors> SchemeOf(int id)
{
    switch (id) {
    case 33116: // "颜色恢复"
    case 33119: // "天际蓝"
        return SkinColors { 0xE99494, 0xFFE8E8, 0xFFD3D3, 0xFFD3D3 };
    case 33117: // "贵族紫"
        return SkinColors { 0xD490E5, 0xFAE8FF, 0xF8DDFF, 0xF8DDFF };
    case 33118: // "水晶蓝"
        return SkinColors { 0xE5B88F, 0xFAECD9, 0xFFFBDD, 0xFFFBDD };
    case 33120: // "苹果绿"
        return SkinColors { 0x8DE2A9, 0xE8FFF0, 0xD0FFDF, 0xD0FFDF };
    case 33121: // "沙漠黄"
        return SkinColors { 0x8DCDE2, 0xF6FDFF, 0xDDF7FF, 0xDDF7FF };
    case 33122: // "玫瑰红"
        return SkinColors { 0x9292E7, 0xE8E8FF, 0xD0D0FF, 0xD0D0FF };
    case 33136: // "Windows 经典"
        return SkinColors { 0x9E9E9E, 0xD8E9EC, 0xD8E9EC, 0xD8E9EC };
    default:
        return std::nullopt;
    }
}

SkinColors CurrentSkin(const CConfig &config)
{
    return { config.MainBarFrameColor, config.MainBarLeftTopColor, config.MainBarRightBtmColor,
        config.MainBarRightBtm2Color };
}

void SetSkin(CConfig &config, const SkinColors &colors)
{
    config.MainBarFrameColor = colors.frame;
    config.MainBarLeftTopColor = colors.leftTop;
    config.MainBarRightBtmColor = colors.rightBottom;
    config.MainBarRightBtm2Color = colors.rightBottom2;
    config.ChatBkColor1 = colors.leftTop;
    config.ChatBkColor2 = colors.rightBottom;
    config.ChatMsgWndFrameClr = colors.frame;
}

} // namespace ContactCommands

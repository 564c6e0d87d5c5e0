// The contact list's commands on peers and user groups, without a window:
// what creating, renaming and opening groups, moving peers, sorting a
// group, the visible-while-hidden flag, memo names and the colour schemes
// store in the configuration and the peers' records. The messenger page runs
// the dialogs and refreshes the views.
#pragma once

#include <QList>
#include <QStringList>
#include <QString>
#include <cstdint>
#include <optional>

class CConfig;
class HostRecord;
struct UserGroupRecord;

namespace ContactCommands {

// What a command acts on: a peer, a node of the tree (by name, a user group
// or a peer group), or nothing.
struct Target
{
    HostRecord *host = nullptr;
    QString node;
    bool userGroupNode = false;
    bool isNode() const { return !host && !node.isEmpty(); }
    bool isEmpty() const { return !host && node.isEmpty(); }
};

// The longest group name in GBK bytes (the stored field has 50 with its
// terminator; the rename dialog takes 48).
inline constexpr int kGroupNameBytes = 48;

enum class NameCheck { Ok, Empty, TooLong, Reserved, Exists };
// Checks a new group name (trimmed by the caller); oldName is the group
// being renamed (empty for a new one).
NameCheck CheckGroupName(const CConfig &config, const QString &name, const QString &oldName = {});
// The message for a refused name: the duplicate texts "您要新增的组名已存在."
// and "修改后的组名已存在。", and texts of our own for the rest.
QString NameCheckText(NameCheck check, bool rename);

// A new user group, first or last, open. Nothing is changed unless the name
// is Ok.
NameCheck AddGroup(CConfig &config, const QString &name, bool first);
// Renames a group everywhere: its record, the group index, the stored
// custom groups and the peers' custom group names.
NameCheck RenameGroup(CConfig &config, const QList<HostRecord *> &peers, const QString &oldName, const QString &newName);
// Whether the group may be renamed, have its rights set or its visibility
// flipped: not "我的好友" and "黑名单" (rename), not "黑名单" (rights).
bool CanRename(const QString &group);
bool CanSetRights(const QString &group);

// The name a peer-group node's members get as a group of their own: the
// node's name cut to kGroupNameBytes at a character boundary, "其他好友" for
// the node of peers without a group.
QString GroupNameForPeerNode(const QString &node);
// Moves the members of a peer-group node (peers in "我的好友" whose own group
// is the node's) into the group, which is created first when create is set
// and it does not exist. Returns the peers moved.
QList<HostRecord *> MovePeerGroup(CConfig &config, const QList<HostRecord *> &peers, const QString &node,
    const QString &group, bool create);
// Moves one peer into an existing group; false when nothing changed.
bool MovePeer(CConfig &config, HostRecord &peer, const QString &group);

// The member sort kinds of the sort commands 33072..33076 (user name, host
// name, login name, group name, IP address); -1 for any other id.
int SortKindOfCommand(int id);

// Copies the settings the rights dialog edits, nothing else (name, tree
// fields and the visible-while-hidden flag stay).
void CopyRights(const UserGroupRecord &from, UserGroupRecord &to);

// Flips "隐身对该组成员可见" of a user group; false when there is no such
// group or it is "黑名单".
bool ToggleVisibleWhenHidden(CConfig &config, const QString &group);

// The longest memo name in GBK bytes.
inline constexpr int kMemoNameBytes = 49;
// Stores a peer's memo name and details: an empty name removes it (the
// announced nick name shows again), details made only of separators and
// blanks are removed.
void SetMemo(CConfig &config, HostRecord &peer, const QString &memoName, const QString &details);
// The six memo details (office telephone, home telephone, mobile telephone,
// e-mail, address, other) of a stored text, each followed by "#~$#" there.
inline constexpr int kMemoDetailCount = 6;
QStringList SplitMemoDetails(const QString &text);
QString JoinMemoDetails(const QStringList &fields);

// The colours of the main window's schemes.
struct SkinColors
{
    uint32_t frame = 0;
    uint32_t leftTop = 0;
    uint32_t rightBottom = 0;
    uint32_t rightBottom2 = 0;
};
// The scheme of a menu command (33116..33122, 33136); nothing for others.
std::optional<SkinColors> SchemeOf(int id);
SkinColors CurrentSkin(const CConfig &config);
// Stores the four colours and derives the chat windows' colours from them.
void SetSkin(CConfig &config, const SkinColors &colors);

} // namespace ContactCommands

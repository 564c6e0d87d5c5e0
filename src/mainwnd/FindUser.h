// What the find dialog looks for, without a window: which rows of the user
// list match the text, and which peer of the user tree comes next. Each
// check box searches the field it names, whatever the order of the list's
// columns; texts compare case-insensitively as decoded text.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ContactTreeModel;
class HostRecord;
class UserListModel;
struct ContactEntry;

namespace FindUser {

// The fields the check boxes choose.
struct Fields
{
    bool nick = true; // "用户名"
    bool host = true; // "主机名"
    bool group = true; // "组 名": the peer's own group
    bool address = true; // "IP地址"
    bool login = true; // "登录名"
};

bool Matches(const ContactEntry &entry, const QString &text, const Fields &fields);
// The rows of the list whose peer matches.
QList<int> ListMatches(const UserListModel &list, const QString &text, const Fields &fields);
// The next peer of the tree after the selected row (a peer's or a node's;
// -1: from the first peer) that matches, in the tree's order and inside
// collapsed groups too; when none follows, the selected peer itself when it
// matches; else null.
const HostRecord *NextTreeMatch(const ContactTreeModel &tree, int selectedRow, const QString &text, const Fields &fields);
// Adds a non-empty text to the history unless it is there already (compared
// trimmed and in any case); true when added.
bool AddToHistory(QStringList &history, const QString &text);

} // namespace FindUser

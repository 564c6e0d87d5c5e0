#include "mainwnd/FindUser.h"

#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/UserListModel.h"

namespace FindUser {

bool Matches(const ContactEntry &e, const QString &text, const Fields &f)
{
    const auto has = [&text](const QString &field) { return field.contains(text, Qt::CaseInsensitive); };
    return (f.nick && has(e.nick)) || (f.host && has(e.hostName)) || (f.login && has(e.login))
        || (f.group && has(e.group)) || (f.address && has(e.address));
}

QList<int> ListMatches(const UserListModel &list, const QString &text, const Fields &fields)
{
    QList<int> rows;
    for (int row = 0; row < list.rowCount(); ++row)
        if (const ContactEntry *e = list.entryAt(row); e && Matches(*e, text, fields))
            rows.append(row);
    return rows;
}

const HostRecord *NextTreeMatch(const ContactTreeModel &tree, int selectedRow, const QString &text, const Fields &fields)
{
    const std::vector<const ContactEntry *> peers = tree.EntriesInOrder();
    const int from = selectedRow >= 0 ? std::min(tree.EntryIndexAfterRow(selectedRow), int(peers.size())) : 0;
    const auto next = std::find_if(
        peers.begin() + from, peers.end(), [&](const ContactEntry *e) { return Matches(*e, text, fields); });
    if (next != peers.end())
        return (*next)->host.data();
    const ContactEntry *selected = tree.entryAt(selectedRow);
    return selected && Matches(*selected, text, fields) ? selected->host.data() : nullptr;
}

bool AddToHistory(QStringList &history, const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const QString &old : std::as_const(history))
        if (old.trimmed().compare(t, Qt::CaseInsensitive) == 0)
            return false;
    history.append(t);
    return true;
}

} // namespace FindUser

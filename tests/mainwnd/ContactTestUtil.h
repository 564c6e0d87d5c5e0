// Peers and configurations for the contact list tests.
#pragma once

#include "core/CConfig.h"
#include "net/HostRecord.h"
#include "TestEnv.h"

#include <memory>
#include <ostream>

// Readable failures: texts print as UTF-8.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace ContactTest {

inline QString u(const char *s)
{
    return QString::fromUtf8(s);
}

inline HostPtr host(const QString &nick, const QString &group = {}, quint32 address = 0x0A000001,
    const QString &login = QStringLiteral("user"), const QString &hostName = QStringLiteral("pc"))
{
    HostPtr h(new HostRecord);
    h->key = HostKey(login, hostName, address, 2425);
    h->displayName = nick;
    h->nickName = nick;
    h->groupName = group;
    h->extension = 1;
    h->headIcon = 3;
    return h;
}

// A configuration in its own store with the given user groups (collapsed
// flags as given) and no other settings changed.
inline std::unique_ptr<CConfig> config(const QList<std::pair<QString, bool>> &groups)
{
    auto c = std::make_unique<CConfig>(TestEnv::freshDir(QStringLiteral("contacts")) + QStringLiteral("/kwel.ini"));
    c->MemberGroups.clear();
    for (const auto &[name, collapsed] : groups) {
        UserGroupRecord r = InitUserGroupRecord(name);
        r.collapsed = collapsed ? 1 : 0;
        c->MemberGroups.append(r);
    }
    c->RebuildGroupIndex();
    return c;
}

} // namespace ContactTest

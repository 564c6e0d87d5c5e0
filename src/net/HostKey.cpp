#include "net/HostKey.h"

#include "core/Gbk.h"

#include <cstring>

namespace {

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    if (n > 0) {
        const int c = std::memcmp(a.constData(), b.constData(), size_t(n));
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T> int compareValues(T a, T b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

int compareNames(const HostKey &a, const HostKey &b)
{
    const int c = compareBytes(a.loginBytes(), b.loginBytes());
    return c != 0 ? c : compareBytes(a.hostBytes(), b.hostBytes());
}

int compareAddresses(const HostKey &a, const HostKey &b)
{
    const int c = compareValues(a.address, b.address);
    return c != 0 ? c : compareValues(a.port, b.port);
}

void setName(QString &text, QByteArray &bytes, const QString &name)
{
    bytes = Gbk::sortKey(name);
    if (bytes.size() <= HostKey::kNameBytes) {
        text = name;
        return;
    }
    text = Gbk::truncate(name, HostKey::kNameBytes);
    bytes = Gbk::sortKey(text);
}

} // namespace

HostKey::HostKey(const QString &loginName, const QString &hostName, quint32 addr, quint16 prt)
    : address(addr)
    , port(prt)
{
    setLoginName(loginName);
    setHostName(hostName);
}

void HostKey::setLoginName(const QString &name)
{
    setName(m_login, m_loginBytes, name);
}

void HostKey::setHostName(const QString &name)
{
    setName(m_host, m_hostBytes, name);
}

bool HostKey::operator==(const HostKey &other) const
{
    return CompareHostKeys(*this, other, 2) == 0;
}

int CompareHostKeys(const HostKey &a, const HostKey &b, int kind)
{
    switch (kind) {
    case 1:
        return compareNames(a, b);
    case 2: {
        const int c = compareNames(a, b);
        return c != 0 ? c : compareAddresses(a, b);
    }
    case 3:
        return compareAddresses(a, b);
    default:
        return -1;
    }
}

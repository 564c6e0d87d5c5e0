// The identity of a peer: login name, host name, IPv4 address and port.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class HostKey
{
public:
    // The names are fields of 50 bytes on the wire and on disk: at most 49
    // GBK bytes are kept.
    static constexpr qsizetype kNameBytes = 49;

    HostKey() = default;
    HostKey(const QString &loginName, const QString &hostName, quint32 address, quint16 port);

    const QString &loginName() const { return m_login; }
    const QString &hostName() const { return m_host; }
    // The GBK bytes of the names: the order in which peers are kept.
    const QByteArray &loginBytes() const { return m_loginBytes; }
    const QByteArray &hostBytes() const { return m_hostBytes; }
    void setLoginName(const QString &name);
    void setHostName(const QString &name);

    // IPv4 address in host byte order (QHostAddress::toIPv4Address()); the
    // Windows records keep it in network order, converted where they are
    // written.
    quint32 address = 0;
    quint16 port = 0;

    bool operator==(const HostKey &other) const;

private:
    QString m_login;
    QString m_host;
    QByteArray m_loginBytes;
    QByteArray m_hostBytes;
};

// Three-way comparison: kind 1 login names, then host names; kind 2 login and
// host names, then address and port; kind 3 address, then port. The result is
// negative, 0 (equal) or positive; a kind outside 1..3 gives -1. Names compare
// by their GBK bytes as unsigned values (strcmp order), case-sensitively.
int CompareHostKeys(const HostKey &a, const HostKey &b, int kind);

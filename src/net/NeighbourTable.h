// The kernel's neighbour (ARP) table, read without sending anything: where
// the Windows program asked SendARP for a peer's MAC address and waited, we
// read what the kernel already knows from /proc/net/arp.
#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>

class NeighbourTable
{
public:
    enum class Status { Ok, Empty, BadHeader, TooLarge };
    // The file is small; anything beyond this many bytes is not read.
    static constexpr qsizetype kMaxBytes = 1 << 20;

    // Parses the text of /proc/net/arp: a header line, then one line per
    // entry "address type flags mac mask device". Only complete entries
    // (flag 0x2) with a non-zero MAC are kept; lines that do not parse are
    // skipped. The MAC is stored as 12 upper-case hexadecimal digits.
    static Status Parse(QByteArrayView text, QHash<quint32, QString> &out);

    // Reads the table from the file (the kernel's by default). A file that is
    // missing or unreadable gives an empty table.
    bool Load(const QString &path = QStringLiteral("/proc/net/arp"));

    // The MAC text of an IPv4 address (host byte order), if the kernel has it.
    std::optional<QString> Mac(quint32 address) const;
    qsizetype size() const { return m_entries.size(); }

private:
    QHash<quint32, QString> m_entries;
};

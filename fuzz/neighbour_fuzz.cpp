// The kernel neighbour table parser over arbitrary text: it must never read
// past the input and every entry it keeps must be a well-formed MAC text.
#include "net/NeighbourTable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QHash<quint32, QString> entries;
    const auto status = NeighbourTable::Parse(text, entries);
    if (status != NeighbourTable::Status::Ok && !entries.isEmpty())
        abort();
    for (const QString &mac : std::as_const(entries)) {
        if (mac.size() != 12)
            abort();
        for (QChar c : mac)
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
                abort();
    }
    return 0;
}

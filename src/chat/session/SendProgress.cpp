#include "chat/session/SendProgress.h"

#include "core/SizeFormat.h"

#include <algorithm>
#include <cstdint>

SendProgress SendProgressOf(const TransferState &state)
{
    SendProgress out;
    const qint64 done = qint64(qMin<quint64>(state.bytesDone, quint64(INT64_MAX)));
    const qint64 total = qint64(qMin<quint64>(state.bytesTotal, quint64(INT64_MAX)));
    out.text = state.folder ? FormatFileCountProgress(state.elapsedMs, done, int(state.filesDone))
                            : FormatTransferProgress(state.elapsedMs, done, total);
    // In 64 bits, and never beyond the ends.
    if (total > 0)
        out.percent = int(std::clamp<long double>(static_cast<long double>(done) * 100 / total, 0, 100));
    return out;
}

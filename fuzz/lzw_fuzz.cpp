// "LZW!" containers received from peers.
#include "core/Lzw.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray out;
    if (LzwDecompressGlobal(bytes, out, qsizetype(1) << 22) != LzwStatus::Ok)
        return 0;
    // Whatever decodes must survive our own round trip.
    QByteArray again;
    if (LzwDecompressGlobal(LzwCompressGlobal(out), again) != LzwStatus::Ok || again != out)
        std::abort();
    return 0;
}

// JPEG pictures received from peers, decoded from memory.
#include "core/Dib.h"
#include "core/JpegFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray dib;
    // Smaller limits than the program's keep each run fast.
    if (decodeJpegToDib(bytes, dib, ImageLimits { 2048, 1 << 22 }) == JpegStatus::Ok && DibToBitmap(dib).isNull())
        std::abort();
    return 0;
}

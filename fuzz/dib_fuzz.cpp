// Packed DIBs as peers send them, and .bmp files as found on disk.
#include "core/BmpFile.h"
#include "core/Dib.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QImage image = DibToBitmap(bytes);
    if (!image.isNull()) {
        // What decodes must encode again and decode to the same size.
        const QImage again = DibToBitmap(BitmapToDib(image, {}, 0));
        if (again.size() != image.size())
            std::abort();
    }
    QImage fromFile;
    decodeBmpFile(bytes, fromFile);
    bmpFileFromDib(bytes);
    return 0;
}

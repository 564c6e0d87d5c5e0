// Settings backup files: the whole-file parser (header, length, checksum)
// and the body parser behind it, which the checksum would otherwise shield
// from most inputs.
#include "core/RegExport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const RegExport::ParseResult file = RegExport::parse(bytes);
    if (file.status == RegExport::Status::Ok)
        (void)RegExport::serialize(file.root);
    const RegExport::ParseResult body = RegExport::parseBody(bytes);
    if (body.status == RegExport::Status::Ok) {
        // whatever parses must be written and read back unchanged
        const auto again = RegExport::serialize(body.root);
        if (!again || RegExport::parse(*again).root != body.root)
            __builtin_trap();
    }
    return 0;
}

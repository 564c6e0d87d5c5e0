// The settings file (the store behind CRegistryKey).
#include "core/SettingsFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const SettingsFile::ParseResult r = SettingsFile::parse(bytes);
    if (r.status == SettingsFile::Status::TooLarge)
        return 0;
    // whatever is read must be written and read back unchanged
    const SettingsFile::ParseResult again = SettingsFile::parse(SettingsFile::serialize(r.values));
    if (again.status != SettingsFile::Status::Ok || again.values != r.values)
        __builtin_trap();
    return 0;
}

// Parses arbitrary folder-stream headers, as a receiver would: the length
// from the first bytes, then the header of that length.
#include "core/PathUtil.h"
#include "net/Commands.h"
#include "net/FolderHeader.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    FolderEntryHeader h;
    const FolderHeaderStatus whole = ParseFolderHeader(input, h);
    const auto length = ParseFolderHeaderLength(input);
    if (!length)
        return 0;
    check(*length >= kFolderHeaderPrefix && *length <= kMaxFolderHeader);
    check(whole != FolderHeaderStatus::Ok || *length == input.size());
    if (*length > input.size())
        return 0;
    if (ParseFolderHeader(input.first(*length), h) != FolderHeaderStatus::Ok)
        return 0;
    check(h.kind() == FILE_ATTR_PARENT || IsSafeFileName(h.name));
    check(!h.name.contains(QLatin1Char(':')) && !h.name.contains(QLatin1Char('?')));
    if (h.kind() == FILE_ATTR_PARENT)
        return 0;
    const auto again = BuildFolderHeader(h.name, h.size, h.attributes, h.mtime);
    if (!again)
        return 0;
    FolderEntryHeader back;
    check(ParseFolderHeader(*again, back) == FolderHeaderStatus::Ok);
    check(back.size == h.size && back.attributes == h.attributes && back.mtime == h.mtime);
    return 0;
}

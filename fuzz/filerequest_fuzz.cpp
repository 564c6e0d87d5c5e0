// Parses arbitrary bytes as the request on a file connection; a request
// that parses must parse the same way with every later byte added.
#include "net/FileRequest.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    FileRequest r;
    const FileRequestStatus status = ParseFileRequest(input, r);
    if (status != FileRequestStatus::Ok || input.size() >= kMaxRequestBytes)
        return 0;
    QByteArray longer = input.toByteArray() + QByteArrayView("\0junk", 5);
    FileRequest s;
    if (longer.size() <= kMaxRequestBytes) {
        check(ParseFileRequest(longer, s) == FileRequestStatus::Ok);
        check(s.folder == r.folder && s.packetNumber == r.packetNumber && s.fileId == r.fileId && s.offset == r.offset);
    }
    return 0;
}

// Face packages (".kcf") as a user may be handed them: every entry the
// reader accepts lies inside the file and writes back to the same bytes.
#include "FuzzCheck.h"
#include "core/FacePackage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    FacePackage::Header header;
    if (FacePackage::ReadHeader(bytes, header) != FacePackage::Status::Ok)
        return 0;
    qsizetype offset = FacePackage::kHeaderSize;
    for (quint32 i = 0; i < header.count; ++i) {
        const qsizetype before = offset;
        FacePackage::Entry entry;
        if (FacePackage::ReadEntry(bytes, offset, entry) != FacePackage::Status::Ok) {
            check(offset == before);
            break;
        }
        check(offset > before && offset <= bytes.size());
        check(entry.picture.size() == offset - before - FacePackage::kEntryFixedSize);
        check(entry.picture.size() <= qsizetype(FacePackage::kMaxPictureBytes));
        // An entry read writes back to bytes that read and write the same
        // (texts that are not GBK come back as their replacement characters).
        const QByteArray written = FacePackage::EntryBytes(entry);
        const QByteArray again = FacePackage::HeaderBytes(1) + written;
        qsizetype at = FacePackage::kHeaderSize;
        FacePackage::Entry back;
        check(FacePackage::ReadEntry(again, at, back) == FacePackage::Status::Ok);
        check(back.id == entry.id && back.picture == entry.picture && FacePackage::EntryBytes(back) == written);
    }
    return 0;
}

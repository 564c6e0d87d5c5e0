// Parses arbitrary bytes as the header of a picture chunk and as a chunk
// acknowledgement. A header that parses must come back the same when it is
// written and read again, and a chunk that passes the check must lie inside
// its picture.
#include "net/PictureChunk.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    PictureChunkHeader h;
    if (PictureChunk::ParseHeader(input, h) == PictureChunkStatus::Ok) {
        if (h.totalSize <= 0x7FFFFFFFu) {
            PictureChunkHeader again;
            check(PictureChunk::ParseHeader(PictureChunk::FormatHeader(h), again) == PictureChunkStatus::Ok);
            check(again == h);
        }
        if (PictureChunk::CheckChunk(h, h.chunkLength, PictureChunk::kMaxPictureBytes) == PictureChunkStatus::Ok) {
            check(h.chunkNumber >= 1 && h.chunkNumber <= h.chunkCount && h.chunkCount <= PictureChunk::kMaxChunks);
            check(h.offset >= 0 && h.chunkLength > 0 && qint64(h.offset) + h.chunkLength <= qint64(h.totalSize));
            check(h.totalSize <= PictureChunk::kMaxPictureBytes);
            check(PictureChunk::CheckChunk(h, h.chunkLength + 1, PictureChunk::kMaxPictureBytes)
                == PictureChunkStatus::LengthMismatch);
        }
    }
    if (const auto ack = PictureChunk::ParseAck(input)) {
        const auto again = PictureChunk::ParseAck(PictureChunk::FormatAck(ack->id, ack->chunkNumber));
        check(again && again->id == ack->id && again->chunkNumber == ack->chunkNumber);
    }
    return 0;
}

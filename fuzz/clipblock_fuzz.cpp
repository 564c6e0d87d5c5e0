// The private clipboard block of message content, as any program may put it
// on the clipboard, and the message text it carries.
#include "core/ClipBlock.h"
#include "core/Dib.h"
#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    MessageClipBlock block;
    if (decodeMessageClipBlock(bytes, block) != ClipBlockStatus::Ok)
        return 0;
    // What decodes encodes again to a block that decodes to the same.
    MessageClipBlock again;
    if (decodeMessageClipBlock(encodeMessageClipBlock(block), again) != ClipBlockStatus::Ok
        || again.pictures.size() != block.pictures.size())
        std::abort();
    // The paste path: split the text, read every marker, decode every bitmap.
    qsizetype covered = 0;
    for (const FaceTextPiece &piece : TokenizeFaceText(block.text)) {
        covered += piece.text.size();
        if (piece.kind == FaceTextPiece::Kind::Marker && !ParsePictureMarker(piece.text))
            std::abort();
    }
    if (covered != block.text.size())
        std::abort();
    // The ids a received message names: bounded, never 0, each once.
    const QList<quint32> ids = PictureMarkerIds(block.text, 64);
    if (ids.size() > 64 || ids.contains(kNoPictureId) || QSet<quint32>(ids.begin(), ids.end()).size() != ids.size())
        std::abort();
    for (const ClipPicture &picture : block.pictures)
        DibToBitmap(picture.dib);
    return 0;
}

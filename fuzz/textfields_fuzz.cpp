// Field splitting, tokens, hex and bounded copies over bytes as peers send
// them. The first byte picks the separator, the rest is the text. Checks the
// helpers' own promises and aborts when one is broken.
#include "core/AnsiText.h"
#include "core/DateTimeText.h"
#include "core/Gbk.h"
#include "core/HexText.h"
#include "core/TextFields.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char separator = static_cast<char>(data[0]);
    const QByteArrayView text(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));

    qsizetype position = 0;
    qsizetype tokens = 0;
    while (auto token = SplitNextToken(text, separator, position)) {
        check(separator == '\0' || !token->isEmpty());
        check(++tokens <= text.size());
    }

    const QByteArray sep(1, separator);
    const QList<QByteArray> pieces = SplitString(text, sep, false);
    const QByteArray joined = pieces.join(separator);
    check(joined == text || QByteArray(joined + sep) == text);
    check(GetDelimitedFields(text, sep, 0, -1) == text.toByteArray());
    if (auto field = GetDelimitedFields(text, sep, 1, 2))
        check(field->size() < text.size());

    check(HexToBytes(BytesToHex(text), text.size()) == text);
    check(HexToBytesReversed(text, 8).size() <= 8);
    (void)HexToUInt64(text);
    (void)ParseDateTimeText(Gbk::decode(text));

    char buffer[16];
    const qsizetype copied = CopyStringBounded(buffer, sizeof buffer, text);
    check(copied < 16 && buffer[copied] == '\0');
    check(Gbk::charBoundary(QByteArrayView(buffer, copied), copied) == copied);
    return 0;
}

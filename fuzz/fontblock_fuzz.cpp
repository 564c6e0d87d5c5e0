// The font block of a received message: any text parses without harm and the
// text only ever shrinks (plus its line feed); the font formats again.
#include "core/FontBlock.h"
#include "core/Gbk.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text = Gbk::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const qsizetype before = text.size();
    const ChatFont font = ParseFontPrefix(text);
    if (text.size() > before + 1)
        std::abort();
    QString again = QStringLiteral("x") + FormatFontPrefix(font) + QLatin1Char('\n');
    ParseFontPrefix(again);
    return 0;
}

// The font block of a received message: any text parses without harm and the
// text only ever shrinks (plus its line feed); the font formats again, as
// fifteen blank-separated words (a Windows reader scans the face name as one
// word) that read back as the same font, face name aside.
#include "core/FontBlock.h"
#include "core/Gbk.h"

#include "FuzzCheck.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text = Gbk::decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const qsizetype before = text.size();
    const ChatFont font = ParseFontPrefix(text);
    if (text.size() > before + 1)
        std::abort();
    const QString block = FormatFontPrefix(font);
    check(block.startsWith(QLatin1String("{/font;")) && block.endsWith(QLatin1String(";}")));
    check(block.mid(7, block.size() - 9).split(QLatin1Char(' ')).size() == 15);
    QString again = QStringLiteral("x") + block + QLatin1Char('\n');
    ChatFont back = ParseFontPrefix(again);
    back.faceName = font.faceName;
    // (A face name made of a block's own opening cannot come back.)
    check(back == font || block.count(QLatin1String("{/font;")) > 1);
    return 0;
}

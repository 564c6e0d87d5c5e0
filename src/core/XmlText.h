// Text helpers of the XML document: the declaration, names, and the GBK form
// of a document.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace XmlText {

bool isSpace(char c);

// UTF-8 to text; unlike QString::fromUtf8 a leading U+FEFF is kept (it is data here).
QString fromUtf8(QByteArrayView utf8);

struct SplitText
{
    bool ok = true; // false: "<?xml" without its "?>", or non-ASCII inside
    QByteArrayView declaration; // "<?xml ... ?>" as written, or empty
    QByteArrayView body;
};
// Separates a leading XML declaration from the markup after it. The bytes
// looked at are ASCII, which GBK and UTF-8 share ('?' and '>' are never GBK
// trail bytes).
SplitText splitDeclaration(QByteArrayView text);
// True when the declaration names gb2312, gbk, gb18030 or cp936 (any case).
bool declaresGbk(QByteArrayView declaration);

// True when the UTF-8 text reads back unchanged from its GBK form.
bool gbkCanHold(const char *utf8);
// GBK bytes of the text; characters outside GBK become character references
// (a replacement character, the mark of bytes that were already garbled, stays '?').
QByteArray encodeGbk(const QString &text);

// Names that the parser reads back as names: ASCII letters, digits and
// "_:-." (no digit, '-' or '.' first), any other character above ASCII.
bool isValidName(const QString &name);

} // namespace XmlText

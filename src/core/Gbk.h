// GBK (Windows code page 936) at the edges of the program: every byte that
// crosses the wire or the disk is converted here, exactly once.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Gbk {

// Lenient decode: invalid sequences become U+FFFD, nothing is dropped silently.
QString decode(QByteArrayView bytes);
// Decodes up to the first NUL (a fixed-size field of a record or packet).
QString decodeField(QByteArrayView bytes);
// Characters outside GBK become '?', as the Windows peers do it.
QByteArray encode(QStringView text);

inline bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The characters of the text that GBK cannot carry (a peer or a GBK file
// would get '?' or another character in their place), each once, in the
// order they first appear; empty when the whole text can go.
QString uncarried(QStringView text);
// The text without those characters.
QString withoutUncarried(QStringView text);

// Characters that only lay text out, as the user meant them where GBK has
// no code for them: a space of another kind (the no-break space of text
// copied from a web page or an office document, a thin space) becomes a
// plain space, a line or paragraph separator becomes `lineBreak`. The rest
// of the text stays as it is.
QString plainLayout(QStringView text, QStringView lineBreak);

// What is kept of text the user typed, pasted or committed: its layout
// made plain, then the characters GBK still cannot carry taken out;
// `refused` names those (as uncarried() does), empty when none was.
struct Kept
{
    QString text;
    QString refused;
};
Kept keepCarried(QStringView text, QStringView lineBreak);

qsizetype byteLength(QStringView text);
// The largest length <= n that does not split a double-byte character of bytes.
qsizetype charBoundary(QByteArrayView bytes, qsizetype n);
QByteArray cutBytes(QByteArrayView bytes, qsizetype n);
// The longest prefix of text whose GBK form fits in maxBytes bytes.
QString truncate(QStringView text, qsizetype maxBytes);
// The order Chinese users expect: GBK byte order (common characters are in
// pinyin order there). With caseInsensitive, ASCII letters fold to lower case.
QByteArray sortKey(QStringView text, bool caseInsensitive = false);

} // namespace Gbk

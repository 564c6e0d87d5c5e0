// Hexadecimal text of binary values: key blobs, MAC addresses, the size and
// attribute fields of file headers.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

// The value of one hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char16_t c);

// Lower-case hexadecimal text of the bytes, first byte first.
QByteArray BytesToHex(QByteArrayView bytes);
// Lower-case hexadecimal text of the bytes, last byte first.
QByteArray BytesToHexReversed(QByteArrayView bytes);

// Two digits per byte, upper or lower case, at most `maximum` bytes. The
// conversion stops at the first pair that is not two hexadecimal digits; a
// lone digit left over at the end of an odd-length text is ignored.
QByteArray HexToBytes(QByteArrayView text, qsizetype maximum);
// As HexToBytes, but the digit pairs are read from the end of the text: the
// last two digits give the first byte. A lone leading digit is ignored.
QByteArray HexToBytesReversed(QByteArrayView text, qsizetype maximum);

// The value of hexadecimal text; characters that are not hexadecimal digits
// are skipped. A value that does not fit in 64 bits gives UINT64_MAX.
quint64 HexToUInt64(QByteArrayView text);
quint64 HexToUInt64(QStringView text);

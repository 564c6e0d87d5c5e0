// Bounded copies and checks of text in the ANSI code page (GBK).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Copies at most size - 1 bytes of the source (up to its first NUL) into a
// buffer of `size` bytes and always terminates it; a double-byte character
// that does not fit whole is left out. Returns the bytes copied (without the
// terminator); nothing is written when the buffer is null or size < 1.
qsizetype CopyStringBounded(char *destination, qsizetype size, QByteArrayView source);
// The same cut for a field of `size` bytes, returned instead of written.
QByteArray CopyStringBounded(QByteArrayView source, qsizetype size);
// The longest prefix of the text whose GBK form fits in size - 1 bytes.
QString CopyStringBounded(QStringView source, qsizetype size);

// True when the GBK text holds a double-byte character, that is a byte of
// 0x81 or above (0x80 alone is the euro sign).
bool HasDoubleByteChars(QByteArrayView gbk);
bool HasDoubleByteChars(QStringView text);

// UTF-8 bytes converted to GBK bytes; characters outside GBK become '?'.
QByteArray Utf8ToAnsiString(QByteArrayView utf8);

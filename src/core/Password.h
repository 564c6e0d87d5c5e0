// The scrambled form in which the share password is stored and sent: each
// byte becomes the low seven bits of the complement of its own low seven
// bits. The form cannot be undone for bytes of 0x80 and above, so a typed
// password is checked by scrambling it and comparing the results.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The scrambled bytes of a GBK password (read up to its first NUL), ending
// before the first byte that scrambles to 0 (a byte whose low seven bits are
// all set), where a reader of the stored text stops anyway.
QByteArray ScramblePassword(QByteArrayView plain);
QByteArray ScramblePassword(QStringView plain);

// The stored share password: the scrambled form cut to its 50-byte field
// (49 bytes and the NUL), as it is stored and as it is sent to a peer.
inline constexpr qsizetype kScrambledFieldBytes = 50;
QByteArray ScrambleForField(QStringView plain);

// True when the typed password, scrambled and cut to the field, equals the
// stored text (which is read up to its first NUL, as it stands in its
// 50-byte field). Characters of 0x80 and above verify too: nothing is
// unscrambled.
bool VerifyScrambledPassword(QByteArrayView typed, QByteArrayView stored);
bool VerifyScrambledPassword(QStringView typed, QByteArrayView stored);

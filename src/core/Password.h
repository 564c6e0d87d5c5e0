// The scrambled form in which the share password is stored and sent: each
// byte becomes the low seven bits of the complement of its own low seven
// bits. The form cannot be undone for bytes of 0x80 and above, so a typed
// password is checked by scrambling it and comparing the results.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <optional>

// The scrambled bytes of a GBK password (read up to its first NUL), ending
// before the first byte that scrambles to 0 (a byte whose low seven bits are
// all set), where a reader of the stored text stops anyway.
QByteArray ScramblePassword(QByteArrayView plain);
// Of text encoded as a peer's box sends it: a character GBK cannot carry is
// '?' there. What this program stores or sends goes through ScrambleForField.
QByteArray ScramblePassword(QStringView plain);

// The stored share password: the scrambled form cut to its 50-byte field
// (49 bytes and the NUL), as it is stored and as it is sent to a peer.
// None when the password holds a character GBK cannot carry: stored as the
// '?' GBK would put in its place, it would open to anyone typing "?".
inline constexpr qsizetype kScrambledFieldBytes = 50;
std::optional<QByteArray> ScrambleForField(QStringView plain);

// True when the typed password, scrambled and cut to the field, equals the
// stored text (which is read up to its first NUL, as it stands in its
// 50-byte field). Characters of 0x80 and above verify too: nothing is
// unscrambled. A typed text with a character GBK cannot carry never
// verifies.
bool VerifyScrambledPassword(QByteArrayView typed, QByteArrayView stored);
bool VerifyScrambledPassword(QStringView typed, QByteArrayView stored);

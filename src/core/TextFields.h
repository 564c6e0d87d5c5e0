// Fields and tokens of delimited text. Every helper comes twice: on decoded
// text, and on GBK bytes as they stand in a packet or file, where a separator
// is only found at a character boundary (the trail byte of a double-byte
// character may be '\\' or '|').
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The text between the i-th and the j-th occurrence of the separator.
// Occurrence 0 is the start of the text and -1 its end, so (0, 1) is the
// first field and (k, -1) everything after the k-th separator. None when an
// occurrence is missing, the separator is empty or i does not come before j.
std::optional<QString> GetDelimitedFields(QStringView text, QStringView separator, int i, int j);
std::optional<QByteArray> GetDelimitedFields(QByteArrayView text, QByteArrayView separator, int i, int j);

// Tokenizer over one separator character with a position held by the caller
// (start at 0). Leading separators are skipped; the next token runs up to the
// following separator, which is consumed. Separator 0 takes the rest of the
// text. None when nothing is left. The separator may change between calls.
std::optional<QString> SplitNextToken(QStringView text, QChar separator, qsizetype &position);
std::optional<QByteArray> SplitNextToken(QByteArrayView text, char separator, qsizetype &position);

// Splits at every occurrence of the separator; each piece is trimmed of
// white space when asked. Empty pieces between separators are kept, an empty
// piece after a final separator is not; an empty text gives no piece.
QStringList SplitString(QStringView text, QStringView separator, bool trim);
QList<QByteArray> SplitString(QByteArrayView text, QByteArrayView separator, bool trim);

// Replaces every "::" by ";" (the escaped colon of file headers).
void ReplaceDoubleColons(QString &text);
void ReplaceDoubleColons(QByteArray &text);

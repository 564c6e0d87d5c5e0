// The pinyin of a name for the search: each Chinese character becomes its
// syllable ("张三" → "zhangsan") or the syllable's first letter ("zs").
// ASCII passes through, full-width ASCII folds to ASCII, the numbered
// symbols and Greek letters take their ASCII forms ("①" → "1", "α" → "a"),
// and every other character gives nothing. Works on decoded text.
#pragma once

#include <QString>
#include <QStringView>

enum class PinyinMode {
    Initials = 0, // the first letter of each syllable
    Syllables = 1, // whole syllables (up to six letters: "zhuang")
};

QString ConvertToPinyin(QStringView text, PinyinMode mode);
// The same, appended to out (no allocation when out has room).
void AppendPinyin(QStringView text, PinyinMode mode, QString &out);

// The syllable of one character, or empty when it has none (tests, tools).
QString PinyinSyllable(char32_t c);
// True when the text holds a character beyond ASCII, whose pinyin may differ
// from the text itself.
bool HasNonAscii(QStringView text);

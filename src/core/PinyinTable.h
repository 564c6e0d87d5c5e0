// The readings behind ConvertToPinyin, generated at build time from ICU by
// tools/pinyingen (never typed by hand): one syllable per ideograph of GBK,
// and the ASCII forms of the symbol rows the search folds.
#pragma once

#include <cstdint>

namespace PinyinTable {

// The unified ideographs of GBK, U+4E00..U+9FA5, index into kSyllables
// (0: no reading).
inline constexpr char32_t kUnifiedFirst = 0x4E00;
inline constexpr char32_t kUnifiedLast = 0x9FA5;
extern const uint16_t kUnified[kUnifiedLast - kUnifiedFirst + 1];
extern const char *const kSyllables[];
extern const int kSyllableCount;

// Every other character with a form, sorted by code point: the ideographs of
// GBK outside the unified block (syllable true), full-width ASCII, the
// numbered symbols and the Greek letters (syllable false: the form is used
// whole in both modes).
struct Extra
{
    char32_t code;
    const char *text;
    bool syllable;
};
extern const Extra kExtras[];
extern const int kExtraCount;

} // namespace PinyinTable

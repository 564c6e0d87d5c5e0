// Writes the pinyin table of the search (src/core/PinyinTable.h) from ICU:
// every ideograph of GBK (code page 936) gets the reading of ICU's
// "Han-Latin; Latin-ASCII" transliteration, and the symbol rows that the
// search folds (full-width ASCII, the numbered symbols and the Greek
// letters) get their ASCII forms. Run at build time; the program itself
// needs no ICU transliteration.
//
//   pinyingen OUTPUT.cpp
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/uscript.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UChar32 kUnifiedFirst = 0x4E00;
constexpr UChar32 kUnifiedLast = 0x9FA5;

struct Extra
{
    std::string text;
    bool syllable; // a reading (initials take its first letter) or a fixed symbol form
};

std::string lowerLettersAndDigits(const icu::UnicodeString &u)
{
    std::string utf8;
    u.toUTF8String(utf8);
    std::string out;
    for (char c : utf8) {
        if (c >= 'A' && c <= 'Z')
            out += char(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += c;
    }
    return out;
}

// The reading of one ideograph: one syllable of lower-case letters, or none.
std::string reading(icu::Transliterator &hanLatin, UChar32 c)
{
    icu::UnicodeString u(c);
    hanLatin.transliterate(u);
    std::string utf8;
    u.toUTF8String(utf8);
    if (utf8.empty())
        return {};
    for (char ch : utf8)
        if (ch < 'a' || ch > 'z')
            return {}; // left untransliterated, or more than one syllable
    return utf8;
}

int fail(const char *what, UErrorCode status)
{
    std::fprintf(stderr, "pinyingen: %s: %s\n", what, u_errorName(status));
    return 1;
}

// The text as the body of a C string literal.
std::string quoted(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pinyingen OUTPUT.cpp\n");
        return 2;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> hanLatin(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status))
        return fail("Han-Latin", status);
    std::unique_ptr<icu::Transliterator> anyLatin(
        icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status))
        return fail("Any-Latin", status);
    const icu::Normalizer2 *nfkc = icu::Normalizer2::getNFKCInstance(status);
    if (U_FAILURE(status))
        return fail("NFKC", status);
    UConverter *gbk = ucnv_open("windows-936", &status);
    if (U_FAILURE(status))
        return fail("windows-936", status);

    std::vector<std::string> syllables{""}; // 0: no reading
    std::map<std::string, int> syllableIndex;
    std::vector<int> unified(size_t(kUnifiedLast - kUnifiedFirst + 1), 0);
    std::map<UChar32, Extra> extras;
    const auto indexOf = [&](const std::string &s) {
        auto [it, added] = syllableIndex.emplace(s, int(syllables.size()));
        if (added)
            syllables.push_back(s);
        return it->second;
    };

    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const char bytes[2] = {char(lead), char(trail)};
            UChar out[4];
            UErrorCode e = U_ZERO_ERROR;
            ucnv_reset(gbk);
            const int n = ucnv_toUChars(gbk, out, 4, bytes, 2, &e);
            if (U_FAILURE(e) || n != 1 || out[0] == 0xFFFD)
                continue;
            const UChar32 c = out[0];
            UErrorCode se = U_ZERO_ERROR;
            if (uscript_getScript(c, &se) == USCRIPT_HAN) {
                const std::string r = reading(*hanLatin, c);
                if (r.empty())
                    continue;
                if (c >= kUnifiedFirst && c <= kUnifiedLast)
                    unified[size_t(c - kUnifiedFirst)] = indexOf(r);
                else
                    extras[c] = Extra{r, true};
            } else if (lead == 0xA3 && trail >= 0xA1) {
                // Full-width ASCII: the character of the trail byte's low seven bits.
                extras[c] = Extra{std::string(1, char(trail - 0x80)), false};
            } else if ((lead == 0xA2 || lead == 0xA6) && trail >= 0xA1) {
                icu::UnicodeString u = nfkc->normalize(icu::UnicodeString(c), e);
                if (U_FAILURE(e))
                    continue;
                anyLatin->transliterate(u);
                const std::string form = lowerLettersAndDigits(u);
                if (!form.empty())
                    extras[c] = Extra{form, false};
            }
        }
    }
    ucnv_close(gbk);

    std::ofstream f(argv[1]);
    f << "// Generated by tools/pinyingen from ICU " U_ICU_VERSION " (Han-Latin; Latin-ASCII); do not edit.\n"
         "#include \"core/PinyinTable.h\"\n\nnamespace PinyinTable {\n\n";
    f << "const char *const kSyllables[] = {";
    for (size_t i = 0; i < syllables.size(); ++i)
        f << (i % 12 == 0 ? "\n    " : " ") << '"' << syllables[i] << "\",";
    f << "\n};\nconst int kSyllableCount = " << syllables.size() << ";\n\n";
    f << "const uint16_t kUnified[kUnifiedLast - kUnifiedFirst + 1] = {";
    for (size_t i = 0; i < unified.size(); ++i)
        f << (i % 20 == 0 ? "\n    " : " ") << unified[i] << ',';
    f << "\n};\n\nconst Extra kExtras[] = {";
    for (const auto &[c, e] : extras)
        f << "\n    {0x" << std::hex << c << std::dec << ", \"" << quoted(e.text) << "\", " << (e.syllable ? "true" : "false") << "},";
    f << "\n};\nconst int kExtraCount = " << extras.size() << ";\n\n} // namespace PinyinTable\n";
    f.close();
    if (!f) {
        std::fprintf(stderr, "pinyingen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("pinyingen: %zu syllables, %zu further characters\n", syllables.size() - 1, extras.size());
    return 0;
}

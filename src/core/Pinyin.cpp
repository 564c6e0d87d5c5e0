#include "core/Pinyin.h"

#include "core/PinyinTable.h"

#include <algorithm>

namespace {

// The form of one character: its text and whether it is a syllable.
struct Form
{
    const char *text = nullptr;
    bool syllable = false;
};

Form formOf(char32_t c)
{
    using namespace PinyinTable;
    if (c >= kUnifiedFirst && c <= kUnifiedLast) {
        const uint16_t index = kUnified[c - kUnifiedFirst];
        return index != 0 && index < kSyllableCount ? Form{kSyllables[index], true} : Form{};
    }
    const Extra *end = kExtras + kExtraCount;
    const Extra *found = std::lower_bound(kExtras, end, c, [](const Extra &e, char32_t code) { return e.code < code; });
    return found != end && found->code == c ? Form{found->text, found->syllable} : Form{};
}

} // namespace

void AppendPinyin(QStringView text, PinyinMode mode, QString &out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.unicode() < 0x80) {
            out.append(ch);
            continue;
        }
        char32_t code = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(ch, text[++i]);
        const Form form = formOf(code);
        if (!form.text || !*form.text)
            continue;
        if (form.syllable && mode == PinyinMode::Initials)
            out.append(QLatin1Char(form.text[0]));
        else
            out.append(QLatin1StringView(form.text));
    }
}

QString ConvertToPinyin(QStringView text, PinyinMode mode)
{
    QString out;
    out.reserve(text.size() * (mode == PinyinMode::Syllables ? 4 : 1));
    AppendPinyin(text, mode, out);
    return out;
}

QString PinyinSyllable(char32_t c)
{
    const Form form = formOf(c);
    return form.syllable && form.text ? QString::fromLatin1(form.text) : QString();
}

bool HasNonAscii(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80; });
}

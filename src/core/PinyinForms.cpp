#include "core/PinyinForms.h"

#include "core/Pinyin.h"

namespace {

// Never in ASCII text, so no match spans two forms.
constexpr QChar kSeparator(0xFFFF);

quint64 charBit(QChar c)
{
    return quint64(1) << (c.unicode() & 63);
}

quint64 pairBit(QChar a, QChar b)
{
    return quint64(1) << ((a.unicode() * 7 + b.unicode()) & 63);
}

// The bits of the characters and neighbour pairs; a pair across kSeparator
// is left out.
void addBits(QStringView text, quint64 &chars, quint64 &pairs)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        chars |= charBit(text[i]);
        if (i > 0 && text[i - 1] != kSeparator && text[i] != kSeparator)
            pairs |= pairBit(text[i - 1], text[i]);
    }
}

bool sharing(const QString &a, const QString &b)
{
    return a.size() == b.size() && a.constData() == b.constData();
}

} // namespace

void PinyinForms::Update(std::span<const QString *const> texts)
{
    bool unchanged = m_sources.size() == texts.size();
    for (size_t i = 0; unchanged && i < texts.size(); ++i) {
        if (sharing(*texts[i], m_sources[i]))
            continue;
        unchanged = *texts[i] == m_sources[i];
        if (unchanged)
            m_sources[i] = *texts[i]; // the same text anew: share it, so that the next check is the quick one
    }
    if (unchanged)
        return;
    m_sources.clear();
    m_joined.clear();
    m_chars = m_pairs = 0;
    for (const QString *text : texts) {
        m_sources.push_back(*text);
        if (!HasNonAscii(*text))
            continue;
        for (PinyinMode mode : { PinyinMode::Syllables, PinyinMode::Initials }) {
            const qsizetype start = m_joined.size();
            AppendPinyin(*text, mode, m_joined);
            const QString folded = m_joined.sliced(start).toCaseFolded();
            m_joined.truncate(start);
            m_joined += folded;
            m_joined += kSeparator;
        }
    }
    addBits(m_joined, m_chars, m_pairs);
}

PinyinForms::Needle::Needle(QStringView foldedAscii)
    : text(foldedAscii)
{
    addBits(foldedAscii, chars, pairs);
}

bool PinyinForms::Contains(const Needle &needle) const
{
    if ((needle.chars & ~m_chars) || (needle.pairs & ~m_pairs) || needle.text.isEmpty())
        return false;
    return QStringView(m_joined).contains(needle.text);
}

QStringList PinyinForms::forms() const
{
    QStringList list = m_joined.split(kSeparator);
    list.removeLast(); // after the last separator
    return list;
}

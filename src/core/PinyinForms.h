// The pinyin of a few texts (the name fields of a peer) as the search
// compares it, made once and kept while the texts stay the same: for each
// text holding more than ASCII its whole syllables ("zhangwei") and its
// initials ("zw"), case-folded, all in one string that a search reads in one
// go. A text of ASCII alone has no forms: its pinyin would be the text itself.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>
#include <vector>

class PinyinForms
{
public:
    // Makes the forms of the texts unless they were made from them. Telling
    // costs a pointer comparison per text while the texts are the ones seen
    // before: the copies kept here share their buffers, which therefore
    // cannot have been changed in place (a change detaches them).
    void Update(std::span<const QString *const> texts);

    // A text to look for: case-folded ASCII, with the characters and the
    // pairs of neighbours it holds, by which most peers are passed over
    // without a search.
    struct Needle
    {
        explicit Needle(QStringView foldedAscii);
        QStringView text;
        quint64 chars = 0;
        quint64 pairs = 0;
    };
    // True when the text is part of one form.
    bool Contains(const Needle &needle) const;
    // The forms in order: syllables and initials of each Chinese text.
    QStringList forms() const;

private:
    std::vector<QString> m_sources;
    QString m_joined; // the forms, each followed by kSeparator
    quint64 m_chars = 0; // as Needle's, of all forms
    quint64 m_pairs = 0;
};

// The notices of the tip popup and the page shown. Pages count from the
// newest notice: page 1 is the newest, page count() the oldest. The list
// keeps values only (no pointers to peers or windows), so a notice never
// outlives what it names: its link is looked up when it is opened.
#pragma once

#include "mainwnd/TipNotice.h"

#include <QList>
#include <QString>

class TipNoticeList
{
public:
    // The oldest notices give way beyond this many.
    static constexpr int kMaxNotices = 100;

    struct Entry
    {
        TipNotice notice;
        QString extra; // the fourth text of a notice, kept with it
    };

    // Appends a notice and turns to its page (the newest).
    void append(const TipNotice &notice, const QString &extra = QString());
    void clear();

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // The page shown: 1..count(), 0 when there are no notices.
    int page() const;
    // The notice of the page shown, or null when there are none.
    const Entry *current() const;
    // Toward the newer notice (not before page 1) or the older one (not past
    // the last page); false when the page stayed.
    bool previous();
    bool next();
    // "(page/count)".
    QString pageText() const;

private:
    QList<Entry> m_entries; // oldest first
    int m_index = 1;
};

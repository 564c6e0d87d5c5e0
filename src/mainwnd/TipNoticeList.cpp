#include "mainwnd/TipNoticeList.h"

void TipNoticeList::append(const TipNotice &notice, const QString &extra)
{
    m_entries.append({notice, extra});
    while (m_entries.size() > kMaxNotices)
        m_entries.removeFirst();
    m_index = 1;
}

void TipNoticeList::clear()
{
    m_entries.clear();
    m_index = 1;
}

int TipNoticeList::page() const
{
    if (m_entries.isEmpty())
        return 0;
    return m_index >= 1 && m_index <= count() ? m_index : 1;
}

const TipNoticeList::Entry *TipNoticeList::current() const
{
    const int p = page();
    return p == 0 ? nullptr : &m_entries[count() - p];
}

bool TipNoticeList::previous()
{
    const int p = page();
    if (p <= 1)
        return false;
    m_index = p - 1;
    return true;
}

bool TipNoticeList::next()
{
    const int p = page();
    if (p == 0 || p >= count())
        return false;
    m_index = p + 1;
    return true;
}

QString TipNoticeList::pageText() const
{
    return QStringLiteral("(%1/%2)").arg(page()).arg(count());
}

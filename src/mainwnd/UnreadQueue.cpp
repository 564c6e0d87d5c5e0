#include "mainwnd/UnreadQueue.h"

#include "mainwnd/HeadImage.h"

bool UnreadQueue::Append(QObject *window, int kind, int peerImage)
{
    DropStale();
    if (!window || Contains(window))
        return false;
    m_entries.append(Entry { QPointer<QObject>(window), window, kind, peerImage });
    return true;
}

bool UnreadQueue::Remove(const QObject *window)
{
    // A gone window's address may be reused by a new one: drop those first.
    DropStale();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].identity == window) {
            m_entries.removeAt(i);
            return true;
        }
    }
    return false;
}

bool UnreadQueue::Contains(const QObject *window) const
{
    for (const Entry &e : m_entries)
        if (e.identity == window && !e.window.isNull())
            return true;
    return false;
}

bool UnreadQueue::DropStale()
{
    return m_entries.removeIf([](const Entry &e) { return e.window.isNull(); }) > 0;
}

int UnreadQueue::FrontImage() const
{
    if (m_entries.isEmpty())
        return -1;
    const Entry &e = m_entries.first();
    return e.kind == GroupWindow ? HeadImage::kGroupWindow : e.image;
}

QList<QObject *> UnreadQueue::Windows() const
{
    QList<QObject *> out;
    for (const Entry &e : m_entries)
        if (QObject *w = e.window.data())
            out.append(w);
    return out;
}

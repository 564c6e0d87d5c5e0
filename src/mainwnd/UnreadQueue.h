// The hidden chat and group chat windows that hold unread messages, oldest
// first. Windows may close while queued: entries are guarded and a window
// that is gone is dropped, never touched.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class UnreadQueue
{
public:
    enum Kind { ChatWindow = 0, GroupWindow = 1 };

    // Appends a window with its kind and, for a chat window, the image of
    // its peer. False for none or a window already queued.
    bool Append(QObject *window, int kind, int peerImage);
    // Takes the window out; false when it was not queued.
    bool Remove(const QObject *window);
    bool Contains(const QObject *window) const;
    // Drops entries whose window is gone; true when something was dropped.
    bool DropStale();

    qsizetype Count() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.isEmpty(); }
    QObject *Front() const { return m_entries.isEmpty() ? nullptr : m_entries.first().window.data(); }
    // The tray message icon's image for the oldest window: 85 for a group
    // window, the peer's image for a chat window; -1 when empty.
    int FrontImage() const;
    QList<QObject *> Windows() const;

private:
    struct Entry
    {
        QPointer<QObject> window;
        const QObject *identity = nullptr; // compared only, never used
        int kind = ChatWindow;
        int image = 0;
    };
    QList<Entry> m_entries;
};

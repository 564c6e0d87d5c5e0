#include "chat/ChatWindows.h"

#include "chat/CChatDlg.h"
#include "chat/ChatPeer.h"

ChatWindows::ChatWindows(Factory factory, QObject *parent)
    : QObject(parent)
    , m_factory(std::move(factory))
{
}

ChatWindows::~ChatWindows()
{
    for (const QPointer<CChatDlg> &window : std::as_const(m_windows))
        delete window.data();
}

QList<CChatDlg *> ChatWindows::windows() const
{
    QList<CChatDlg *> out;
    for (const QPointer<CChatDlg> &window : m_windows) {
        if (window)
            out.append(window.data());
    }
    return out;
}

CChatDlg *ChatWindows::Find(const HostRecord &peer) const
{
    for (const QPointer<CChatDlg> &window : m_windows) {
        if (window && window->peer() && IsSameChatPeer(*window->peer(), peer))
            return window.data();
    }
    return nullptr;
}

CChatDlg *ChatWindows::Open(HostRecord *peer, int mode)
{
    if (!peer)
        return nullptr;
    CChatDlg *window = Find(*peer);
    if (mode == LookUp)
        return window;
    if (!window) {
        window = m_factory ? m_factory(peer) : nullptr;
        if (!window)
            return nullptr;
        m_windows.removeAll(nullptr);
        m_windows.append(window);
        emit windowCreated(window);
    }
    if (mode == Shown && !window->isVisible())
        window->show();
    else if (mode == Front)
        window->BringToFront(false);
    return window;
}

void ChatWindows::CloseAll()
{
    for (const QPointer<CChatDlg> &window : std::as_const(m_windows)) {
        if (window)
            window->close();
    }
}

// The open one-to-one chat windows of the program, found again for a peer by
// the window rule of the application (IsSameChatPeer) or made anew.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class CChatDlg;
class HostRecord;

class ChatWindows : public QObject
{
    Q_OBJECT
public:
    enum Mode {
        Hidden = 0, // find or make, keep hidden
        Shown = 1, // find or make, show
        Front = 2, // find or make, show (maximised when it was) and bring it forward
        LookUp = 3, // only find
    };
    // Makes and attaches a window for the peer.
    using Factory = std::function<CChatDlg *(HostRecord *peer)>;

    explicit ChatWindows(Factory factory, QObject *parent = nullptr);
    ~ChatWindows() override;

    // The open window of the peer, or null.
    CChatDlg *Find(const HostRecord &peer) const;
    // The window of the peer by the mode; null for LookUp without a window,
    // or when none can be made.
    CChatDlg *Open(HostRecord *peer, int mode);
    QList<CChatDlg *> windows() const;
    // Closes every window (the program ends).
    void CloseAll();

signals:
    void windowCreated(CChatDlg *window);

private:
    Factory m_factory;
    QList<QPointer<CChatDlg>> m_windows;
};

// The global hot key on X11: the chord is grabbed on the root window through
// the Xlib display of Qt's xcb platform, and the key presses are picked out
// of Qt's native event stream. Built only where Xlib is available.
#pragma once

#include "platform/GlobalHotKey.h"

#if KWEL_HAVE_X11

#include <QAbstractNativeEventFilter>

typedef struct _XDisplay Display;

class X11HotKey final : public GlobalHotKey, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Null when the program does not run on an X display.
    static std::unique_ptr<X11HotKey> create(QObject *parent = nullptr);
    ~X11HotKey() override;

    Result Register(const HotKeyChord &chord) override;
    void Unregister() override;
    bool isRegistered() const override { return m_keycode != 0; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // X11 modifier masks of the stored bits: Alt is Mod1, the Windows key Mod4.
    static unsigned int X11ModifiersFromStored(int modifiers);

private:
    X11HotKey(Display *display, unsigned long root, QObject *parent);
    unsigned int numLockMask() const;
    void ungrab(unsigned int keycode, unsigned int modifiers);

    Display *m_display;
    unsigned long m_root;
    unsigned int m_keycode = 0;
    unsigned int m_modifiers = 0;
};

#endif

#include "platform/X11HotKey.h"

#if KWEL_HAVE_X11

#include <QGuiApplication>
#include <QTimer>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

bool g_grabFailed = false;

int recordGrabError(Display *, XErrorEvent *event)
{
    if (event->error_code == BadAccess || event->error_code == BadValue)
        g_grabFailed = true;
    return 0;
}

// The modifiers the user may have on while pressing the chord: Caps Lock and
// Num Lock do not change what the chord means.
constexpr unsigned int kChordMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

} // namespace

std::unique_ptr<X11HotKey> X11HotKey::create(QObject *parent)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return nullptr;
    return std::unique_ptr<X11HotKey>(new X11HotKey(display, DefaultRootWindow(display), parent));
}

X11HotKey::X11HotKey(Display *display, unsigned long root, QObject *parent)
    : GlobalHotKey(parent)
    , m_display(display)
    , m_root(root)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKey::~X11HotKey()
{
    Unregister();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

unsigned int X11HotKey::X11ModifiersFromStored(int modifiers)
{
    unsigned int out = 0;
    if (modifiers & HotKeyFlags::Shift)
        out |= ShiftMask;
    if (modifiers & HotKeyFlags::Control)
        out |= ControlMask;
    if (modifiers & HotKeyFlags::Alt)
        out |= Mod1Mask;
    if (modifiers & HotKeyFlags::Win)
        out |= Mod4Mask;
    return out;
}

unsigned int X11HotKey::numLockMask() const
{
    unsigned int mask = 0;
    XModifierKeymap *map = XGetModifierMapping(m_display);
    if (!map)
        return Mod2Mask;
    const KeyCode numLock = XKeysymToKeycode(m_display, XK_Num_Lock);
    for (int mod = 0; mod < 8 && numLock != 0; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[mod * map->max_keypermod + k] == numLock)
                mask = 1u << mod;
        }
    }
    XFreeModifiermap(map);
    return mask ? mask : Mod2Mask;
}

void X11HotKey::ungrab(unsigned int keycode, unsigned int modifiers)
{
    const unsigned int numLock = numLockMask();
    for (unsigned int extra : {0u, unsigned(LockMask), numLock, numLock | LockMask})
        XUngrabKey(m_display, int(keycode), modifiers | extra, m_root);
    XSync(m_display, False);
}

GlobalHotKey::Result X11HotKey::Register(const HotKeyChord &chord)
{
    Unregister();
    const quint32 keysym = X11KeysymFromVirtualKey(chord.virtualKey);
    const KeyCode keycode = keysym ? XKeysymToKeycode(m_display, keysym) : 0;
    if (keycode == 0)
        return Result::Failed;
    const unsigned int modifiers = X11ModifiersFromStored(chord.modifiers);
    const unsigned int numLock = numLockMask();

    // A chord held by another client fails with BadAccess, reported
    // asynchronously: catch it with a handler of our own until the sync.
    XSync(m_display, False);
    g_grabFailed = false;
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    for (unsigned int extra : {0u, unsigned(LockMask), numLock, numLock | LockMask})
        XGrabKey(m_display, keycode, modifiers | extra, m_root, False, GrabModeAsync, GrabModeAsync);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    if (g_grabFailed) {
        ungrab(keycode, modifiers);
        return Result::Failed;
    }
    m_keycode = keycode;
    m_modifiers = modifiers;
    return Result::Registered;
}

void X11HotKey::Unregister()
{
    if (m_keycode == 0)
        return;
    ungrab(m_keycode, m_modifiers);
    m_keycode = 0;
    m_modifiers = 0;
}

bool X11HotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_keycode == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    if (key->event != m_root || key->detail != m_keycode || (key->state & kChordMask) != m_modifiers)
        return false;
    if (type == XCB_KEY_PRESS)
        QTimer::singleShot(0, this, [this] { emit activated(); });
    return true;
}

#endif

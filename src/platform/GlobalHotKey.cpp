#include "platform/GlobalHotKey.h"

#include "platform/X11HotKey.h"

#include <QGuiApplication>

std::unique_ptr<GlobalHotKey> CreateGlobalHotKey(QObject *parent)
{
#if KWEL_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11HotKey::create(parent))
            return x11;
    }
#endif
    return std::make_unique<NoGlobalHotKey>(parent);
}

GlobalHotKey::Result RegisterStoredHotKey(GlobalHotKey &hotKey, int modifiers, int virtualcode)
{
    if (modifiers == 0 && virtualcode == 0) {
        hotKey.Unregister();
        return GlobalHotKey::Result::Cleared;
    }
    const std::optional<HotKeyChord> chord = HotKeyChordFromStored(modifiers, virtualcode);
    if (!chord) {
        hotKey.Unregister();
        return GlobalHotKey::Result::Failed;
    }
    return hotKey.Register(*chord);
}

// The global hot key as the configuration stores it, and what it means.
//
// `modifiers` holds the modifier bits that the Windows program handed to
// RegisterHotKey unchanged: 1 Alt, 2 Control, 4 Shift, 8 the Windows (Super)
// key. The stored default 6 is therefore Control+Shift, with `virtualcode`
// 0x58 ('X'): Control+Shift+X. `virtualcode` is a Windows virtual-key code.
// The hot-key edit control of the settings uses another bit order (1 Shift,
// 2 Control, 4 Alt); StoredFromHotKeyControl converts its value before it is
// stored, so that the value is written and read in one form.
#pragma once

#include <QString>
#include <QtGlobal>
#include <Qt>
#include <optional>

namespace HotKeyFlags {
constexpr int Alt = 1;
constexpr int Control = 2;
constexpr int Shift = 4;
constexpr int Win = 8;
constexpr int All = Alt | Control | Shift | Win;
} // namespace HotKeyFlags

struct HotKeyChord
{
    int modifiers = 0; // HotKeyFlags
    int virtualKey = 0; // Windows virtual-key code

    bool operator==(const HotKeyChord &) const = default;
};

// What the stored pair asks for: nothing when both are 0 (the hot key is
// switched off) or when there is no key; otherwise the chord (bits beyond
// HotKeyFlags::All are dropped).
std::optional<HotKeyChord> HotKeyChordFromStored(int modifiers, int virtualcode);
// The stored bits from the bits of the hot-key edit control (1 Shift,
// 2 Control, 4 Alt, 8 extended key, which has no meaning here).
int StoredFromHotKeyControl(int controlFlags);
Qt::KeyboardModifiers QtModifiersFromStored(int modifiers);
// The Qt key of a virtual-key code, Qt::Key_unknown for codes without one.
// Keypad digits give the digit keys (see IsKeypadVirtualKey).
Qt::Key QtKeyFromVirtualKey(int virtualKey);
bool IsKeypadVirtualKey(int virtualKey);
// The X11 keysym of a virtual-key code (letters give the lower-case
// keysym), 0 for codes without one.
quint32 X11KeysymFromVirtualKey(int virtualKey);
// "Ctrl+Shift+X"; empty for a key without a name.
QString HotKeyText(const HotKeyChord &chord);

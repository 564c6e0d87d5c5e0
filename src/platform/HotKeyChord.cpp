#include "platform/HotKeyChord.h"

#include <QKeySequence>

namespace {

struct NamedKey
{
    int virtualKey;
    Qt::Key key;
    quint32 keysym; // X11 keysym (protocol value)
};

// Virtual keys outside the letter, digit, keypad-digit and function-key
// ranges.
constexpr NamedKey kNamedKeys[] = {
    {0x08, Qt::Key_Backspace, 0xFF08},
    {0x09, Qt::Key_Tab, 0xFF09},
    {0x0D, Qt::Key_Return, 0xFF0D},
    {0x13, Qt::Key_Pause, 0xFF13},
    {0x1B, Qt::Key_Escape, 0xFF1B},
    {0x20, Qt::Key_Space, 0x0020},
    {0x21, Qt::Key_PageUp, 0xFF55},
    {0x22, Qt::Key_PageDown, 0xFF56},
    {0x23, Qt::Key_End, 0xFF57},
    {0x24, Qt::Key_Home, 0xFF50},
    {0x25, Qt::Key_Left, 0xFF51},
    {0x26, Qt::Key_Up, 0xFF52},
    {0x27, Qt::Key_Right, 0xFF53},
    {0x28, Qt::Key_Down, 0xFF54},
    {0x2C, Qt::Key_Print, 0xFF61},
    {0x2D, Qt::Key_Insert, 0xFF63},
    {0x2E, Qt::Key_Delete, 0xFFFF},
    {0x6A, Qt::Key_Asterisk, 0xFFAA},
    {0x6B, Qt::Key_Plus, 0xFFAB},
    {0x6D, Qt::Key_Minus, 0xFFAD},
    {0x6E, Qt::Key_Period, 0xFFAE},
    {0x6F, Qt::Key_Slash, 0xFFAF},
    {0xBA, Qt::Key_Semicolon, 0x003B},
    {0xBB, Qt::Key_Equal, 0x003D},
    {0xBC, Qt::Key_Comma, 0x002C},
    {0xBD, Qt::Key_Minus, 0x002D},
    {0xBE, Qt::Key_Period, 0x002E},
    {0xBF, Qt::Key_Slash, 0x002F},
    {0xC0, Qt::Key_QuoteLeft, 0x0060},
    {0xDB, Qt::Key_BracketLeft, 0x005B},
    {0xDC, Qt::Key_Backslash, 0x005C},
    {0xDD, Qt::Key_BracketRight, 0x005D},
    {0xDE, Qt::Key_Apostrophe, 0x0027},
};

const NamedKey *findNamed(int virtualKey)
{
    for (const NamedKey &named : kNamedKeys) {
        if (named.virtualKey == virtualKey)
            return &named;
    }
    return nullptr;
}

} // namespace

std::optional<HotKeyChord> HotKeyChordFromStored(int modifiers, int virtualcode)
{
    if (virtualcode <= 0 || virtualcode > 0xFF)
        return std::nullopt;
    return HotKeyChord{modifiers & HotKeyFlags::All, virtualcode};
}

int StoredFromHotKeyControl(int controlFlags)
{
    int stored = 0;
    if (controlFlags & 1)
        stored |= HotKeyFlags::Shift;
    if (controlFlags & 2)
        stored |= HotKeyFlags::Control;
    if (controlFlags & 4)
        stored |= HotKeyFlags::Alt;
    return stored;
}

Qt::KeyboardModifiers QtModifiersFromStored(int modifiers)
{
    Qt::KeyboardModifiers out;
    if (modifiers & HotKeyFlags::Alt)
        out |= Qt::AltModifier;
    if (modifiers & HotKeyFlags::Control)
        out |= Qt::ControlModifier;
    if (modifiers & HotKeyFlags::Shift)
        out |= Qt::ShiftModifier;
    if (modifiers & HotKeyFlags::Win)
        out |= Qt::MetaModifier;
    return out;
}

bool IsKeypadVirtualKey(int virtualKey)
{
    return virtualKey >= 0x60 && virtualKey <= 0x6F && virtualKey != 0x6C;
}

Qt::Key QtKeyFromVirtualKey(int virtualKey)
{
    if (virtualKey >= 0x30 && virtualKey <= 0x39)
        return Qt::Key(Qt::Key_0 + (virtualKey - 0x30));
    if (virtualKey >= 0x41 && virtualKey <= 0x5A)
        return Qt::Key(Qt::Key_A + (virtualKey - 0x41));
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return Qt::Key(Qt::Key_0 + (virtualKey - 0x60));
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return Qt::Key(Qt::Key_F1 + (virtualKey - 0x70));
    const NamedKey *named = findNamed(virtualKey);
    return named ? named->key : Qt::Key_unknown;
}

QString HotKeyText(const HotKeyChord &chord)
{
    const Qt::Key key = QtKeyFromVirtualKey(chord.virtualKey);
    if (key == Qt::Key_unknown)
        return QString();
    Qt::KeyboardModifiers mods = QtModifiersFromStored(chord.modifiers);
    if (IsKeypadVirtualKey(chord.virtualKey))
        mods |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(mods, key)).toString(QKeySequence::PortableText);
}

quint32 X11KeysymFromVirtualKey(int virtualKey)
{
    if (virtualKey >= 0x30 && virtualKey <= 0x39)
        return 0x30 + quint32(virtualKey - 0x30); // XK_0..XK_9
    if (virtualKey >= 0x41 && virtualKey <= 0x5A)
        return 0x61 + quint32(virtualKey - 0x41); // XK_a..XK_z
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return 0xFFB0 + quint32(virtualKey - 0x60); // XK_KP_0..XK_KP_9
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return 0xFFBE + quint32(virtualKey - 0x70); // XK_F1..XK_F24
    const NamedKey *named = findNamed(virtualKey);
    return named ? named->keysym : 0;
}

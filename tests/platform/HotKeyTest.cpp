#include "platform/GlobalHotKey.h"
#include "platform/HotKeyChord.h"
#include "platform/X11HotKey.h"

#include <QKeySequence>
#include <gtest/gtest.h>

#if KWEL_HAVE_X11
#include <X11/X.h>
#include <X11/keysym.h>
#endif

namespace {

using Result = GlobalHotKey::Result;

TEST(HotKeyChord, StoredDefaultIsControlShiftX)
{
    const auto chord = HotKeyChordFromStored(6, 0x58);
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->modifiers, HotKeyFlags::Control | HotKeyFlags::Shift);
    EXPECT_EQ(QtModifiersFromStored(chord->modifiers), Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QtKeyFromVirtualKey(chord->virtualKey), Qt::Key_X);
    EXPECT_EQ(HotKeyText(*chord), QStringLiteral("Ctrl+Shift+X"));
#if KWEL_HAVE_X11
    EXPECT_EQ(X11HotKey::X11ModifiersFromStored(chord->modifiers), unsigned(ControlMask | ShiftMask));
    EXPECT_EQ(X11KeysymFromVirtualKey(chord->virtualKey), quint32(XK_x));
#endif
    // The single bits, and the Windows key.
    EXPECT_EQ(QtModifiersFromStored(1), Qt::AltModifier);
    EXPECT_EQ(QtModifiersFromStored(2), Qt::ControlModifier);
    EXPECT_EQ(QtModifiersFromStored(4), Qt::ShiftModifier);
    EXPECT_EQ(QtModifiersFromStored(8), Qt::MetaModifier);
    EXPECT_EQ(HotKeyChordFromStored(0x1F6, 0x58)->modifiers, 6) << "unknown bits are dropped";
}

TEST(HotKeyChord, EditControlBitsAreConvertedBeforeStoring)
{
    // The edit control says 1 Shift, 2 Control, 4 Alt: its Control+Shift (3)
    // is stored as 6 and its Control+Alt (6) as 3.
    EXPECT_EQ(StoredFromHotKeyControl(3), 6);
    EXPECT_EQ(StoredFromHotKeyControl(6), 3);
    EXPECT_EQ(StoredFromHotKeyControl(4), HotKeyFlags::Alt);
    EXPECT_EQ(StoredFromHotKeyControl(8), 0) << "the extended-key bit means nothing here";
}

TEST(HotKeyChord, VirtualKeysMapToQtKeysAndKeysyms)
{
    EXPECT_EQ(QtKeyFromVirtualKey(0x30), Qt::Key_0);
    EXPECT_EQ(QtKeyFromVirtualKey(0x41), Qt::Key_A);
    EXPECT_EQ(QtKeyFromVirtualKey(0x70), Qt::Key_F1);
    EXPECT_EQ(QtKeyFromVirtualKey(0x87), Qt::Key_F24);
    EXPECT_EQ(QtKeyFromVirtualKey(0x88), Qt::Key_unknown);
    EXPECT_EQ(QtKeyFromVirtualKey(0x20), Qt::Key_Space);
    EXPECT_EQ(QtKeyFromVirtualKey(0x07), Qt::Key_unknown);
    EXPECT_EQ(HotKeyText({HotKeyFlags::Alt, 0x07}), QString()) << "no name for a key without one";
    EXPECT_TRUE(IsKeypadVirtualKey(0x60));
    EXPECT_FALSE(IsKeypadVirtualKey(0x6C)) << "the separator key";
#if KWEL_HAVE_X11
    EXPECT_EQ(X11KeysymFromVirtualKey(0x39), quint32(XK_9));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x5A), quint32(XK_z));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x60), quint32(XK_KP_0));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x6B), quint32(XK_KP_Add));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x70), quint32(XK_F1));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x87), quint32(XK_F24));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x21), quint32(XK_Prior));
    EXPECT_EQ(X11KeysymFromVirtualKey(0x2E), quint32(XK_Delete));
    EXPECT_EQ(X11KeysymFromVirtualKey(0xC0), quint32(XK_grave));
    EXPECT_EQ(X11HotKey::X11ModifiersFromStored(HotKeyFlags::Alt | HotKeyFlags::Win), unsigned(Mod1Mask | Mod4Mask));
#endif
    // Every virtual key with a Qt key has a keysym too, and the other way.
    for (int vk = 1; vk < 0x100; ++vk)
        EXPECT_EQ(QtKeyFromVirtualKey(vk) != Qt::Key_unknown, X11KeysymFromVirtualKey(vk) != 0) << vk;
}

TEST(GlobalHotKey, StoredValuesRegisterClearOrFail)
{
    FakeGlobalHotKey hotKey;
    EXPECT_EQ(RegisterStoredHotKey(hotKey, 6, 0x58), Result::Registered);
    EXPECT_TRUE(hotKey.isRegistered());
    EXPECT_EQ(hotKey.current, (HotKeyChord{6, 0x58}));

    // 0 and 0 switch the hot key off without registering anything.
    EXPECT_EQ(RegisterStoredHotKey(hotKey, 0, 0), Result::Cleared);
    EXPECT_FALSE(hotKey.isRegistered());
    EXPECT_EQ(hotKey.registrations, 1);

    // Modifiers without a key cannot be grabbed.
    EXPECT_EQ(RegisterStoredHotKey(hotKey, 6, 0), Result::Failed);
    EXPECT_EQ(RegisterStoredHotKey(hotKey, 6, 0x1234), Result::Failed);
    EXPECT_EQ(hotKey.registrations, 1);

    // A chord another program holds.
    hotKey.answer = Result::Failed;
    EXPECT_EQ(RegisterStoredHotKey(hotKey, 2, 0x41), Result::Failed);
    EXPECT_FALSE(hotKey.isRegistered());
}

TEST(GlobalHotKey, OffscreenHasNoGlobalHotKeys)
{
    const auto hotKey = CreateGlobalHotKey();
    EXPECT_EQ(hotKey->Register({6, 0x58}), Result::Unsupported);
    EXPECT_FALSE(hotKey->isRegistered());
}

} // namespace

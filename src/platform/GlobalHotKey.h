// A key chord that reaches the program whichever window has the focus.
// On X11 the key is grabbed on the root window (X11HotKey); elsewhere there
// is no such service and nothing is registered.
#pragma once

#include "platform/HotKeyChord.h"

#include <QObject>
#include <memory>

class GlobalHotKey : public QObject
{
    Q_OBJECT
public:
    enum class Result {
        Registered, // the chord now reaches the program
        Cleared, // the stored value switches the hot key off
        Failed, // another program holds the chord, or the key has no code here
        Unsupported, // the platform has no global hot keys
    };

    using QObject::QObject;

    // Replaces any registered chord. Failed or Unsupported leave none.
    virtual Result Register(const HotKeyChord &chord) = 0;
    virtual void Unregister() = 0;
    virtual bool isRegistered() const = 0;

signals:
    // The chord was pressed.
    void activated();
};

// The service of the running platform: X11 under the xcb platform plugin,
// otherwise one that answers Unsupported.
std::unique_ptr<GlobalHotKey> CreateGlobalHotKey(QObject *parent = nullptr);

// Registers the stored pair: both 0 unregisters and answers Cleared.
GlobalHotKey::Result RegisterStoredHotKey(GlobalHotKey &hotKey, int modifiers, int virtualcode);

// A platform without global hot keys.
class NoGlobalHotKey final : public GlobalHotKey
{
    Q_OBJECT
public:
    using GlobalHotKey::GlobalHotKey;
    Result Register(const HotKeyChord &) override { return Result::Unsupported; }
    void Unregister() override { }
    bool isRegistered() const override { return false; }
};

// For tests: answers as told and is pressed by the test.
class FakeGlobalHotKey final : public GlobalHotKey
{
    Q_OBJECT
public:
    using GlobalHotKey::GlobalHotKey;
    Result Register(const HotKeyChord &chord) override
    {
        ++registrations;
        current = chord;
        registered = answer == Result::Registered;
        return answer;
    }
    void Unregister() override { registered = false; }
    bool isRegistered() const override { return registered; }
    void press() { emit activated(); }

    Result answer = Result::Registered;
    HotKeyChord current;
    bool registered = false;
    int registrations = 0;
};

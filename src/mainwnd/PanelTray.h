// The tray icon's state: which of the four icons stands for the user's
// state, and the blinking that announces unread messages.
#pragma once

#include <QIcon>
#include <QString>
#include <cstdint>

enum class TrayIconKind { Online = 0, Away = 1, Hidden = 2, Message = 3 };

// Hidden when StatusValue bit 0x40 is set, else away when the away state is
// set, else online.
TrayIconKind TrayIconKindFor(uint32_t statusValue, bool away);

// The icon of a kind: the first icon of the configured file when it can be
// read, else the program's own.
QIcon LoadTrayIcon(TrayIconKind kind, const QString &configuredFile);

// One step of the blinking per call: the step count (set back to 0 on a
// restart) decides; an even count shows the message icon, an odd one the
// state's icon.
class TrayBlinker
{
public:
    // True when this step shows the message icon.
    bool Step(bool restart);
    unsigned steps() const { return m_steps; }

private:
    unsigned m_steps = 0; // wraps harmlessly
};

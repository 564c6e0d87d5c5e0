// How a received chat message is handled for its sender: whether the spam
// rules apply, whether it only shows a tip (the window stays hidden and the
// tray blinks) or opens the window, and whether it sounds. The user group the
// user keeps the sender in decides where its custom switch is on; the system
// settings decide otherwise.
#pragma once

#include <QString>

class CConfig;
class HostRecord;

struct IncomingMessagePolicy
{
    bool applySpamRules = true;
    bool tipOnly = true; // keep the window hidden, tip and blink
    bool sound = true;
    QString soundFile; // empty: the built-in sound

    static IncomingMessagePolicy For(const CConfig &config, const HostRecord &sender);
};

// Which records of the chat log the chat window's "聊天记录" shows: the
// fields that must equal the peer's (as the log writer wrote them: names cut
// to 49 bytes, trailing blanks left out on both sides) and the period. A
// record's day is that of the date line it follows; records before the first
// date line of the file have no day and show only for "所有时间的聊天记录".
// With no field ticked every record of the period shows.
#pragma once

#include "net/ChatLogIndex.h"

#include <QDate>

class HostRecord;

struct ChatLogFilter
{
    // The periods, in the order of the filter dialog's radio buttons.
    enum Period { Today = 0, TwoDays = 1, Week = 2, Month = 3, AllTime = 4 };

    bool groupEqual = false;
    bool hostEqual = false;
    bool addressEqual = false;
    bool loginEqual = false;
    bool userEqual = false;
    bool macEqual = false;
    int period = Today;
    // The peer's fields as its records carry them.
    ChatLogPeer peer;

    // Preset for the peer: by its MAC text, or by its names and address when
    // it has none; today's records.
    static ChatLogFilter ForPeer(const HostRecord &peer);

    bool MatchesPeer(const ChatLogPeer &record) const;
    // A day of the period ending today; an unknown day only for AllTime.
    bool MatchesDay(const QDate &day, const QDate &today) const;
};

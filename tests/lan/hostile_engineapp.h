// A load on the chat log for kwelpeer: messages that ask for receipts, fast,
// while the test kills the receiving program.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

//   logflood ROUND COUNT RATE [BYTES]
//                               COUNT messages "rROUND-NUMBER" (NUMBER: the packet
//                               number) at RATE a second from a listed port;
//                               one "RECEIPTED rROUND-NUMBER" line per receipt,
//                               then "LOGFLOOD round R sent S receipts C". With
//                               BYTES each text is filled up to that size ("x"
//                               after a blank), and the messages without a
//                               receipt are sent again (same number and text),
//                               up to 10 times while each time brings receipts
//   logread PATH                the chat log at PATH: "LOGGED TEXT" for each record
//                               (its lines joined by "|"), then "LOGREAD records N"
// False when the words name no attack of this file (or the target cannot be
// reached).
bool RunLogAttack(const QStringList &words, quint32 target, quint16 port,
    const std::function<void(const QString &)> &report);

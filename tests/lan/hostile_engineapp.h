// A load on the chat log for kwelpeer: messages that ask for receipts, fast,
// while the test kills the receiving program.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

//   logflood ROUND COUNT RATE   COUNT messages "rROUND-NUMBER" (NUMBER: the packet
//                               number) at RATE a second from a listed port;
//                               one "RECEIPTED rROUND-NUMBER" line per receipt,
//                               then "LOGFLOOD round R sent S receipts C"
//   logread PATH                the chat log at PATH: "LOGGED TEXT" for each record
//                               (its lines joined by "|"), then "LOGREAD records N"
// False when the words name no attack of this file (or the target cannot be
// reached).
bool RunLogAttack(const QStringList &words, quint32 target, quint16 port,
    const std::function<void(const QString &)> &report);

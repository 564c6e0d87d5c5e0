// Attacks on the answer budget and the challenge, for kwelpeer's "attack":
//   flood SECONDS RATE KIND COUNT  RATE datagrams a second from COUNT forged
//                                  addresses of 10.99.0.0/16 in turn: KIND junk
//                                  (one byte) or noop (a well-formed 0x00):
//                                  "FLOOD sent N"
//   newcomer SECONDS               every 500 ms a new peer (a new port): its
//                                  entry, then a message asking for its
//                                  receipt, then its exit: "NEWCOMER tries T entries E
//                                  receipts R max-ms M" (3000: none in 3 s)
//   holdslots FIRST COUNT PORTS SECONDS
//                                  COUNT forged addresses from FIRST on, PORTS
//                                  ports each, announced; each port asks for the
//                                  head or custom picture or the share list
//                                  once a second, the kinds in turn:
//                                  "HOLDSLOTS sent B packets P"
//   fetcher body|number            a new peer asks for the head picture and the
//                                  share list and echoes the challenge with its
//                                  body or its packet number: "FETCHER asked A
//                                  challenges C challenge-bytes B chunks K lists L"
//   readflood SECONDS RATE         a peer that proved itself sends RATE read
//                                  notices of 16 KB a second asking for their
//                                  check: "READFLOOD sent B echoed E echoes N
//                                  numbers-only Y|N"
//   receipts N                     a listed peer's N messages, 250 ms apart:
//                                  "RECEIPTS sent N got R max-ms M"
//   plainchat [short]              a plain IP Messenger peer's entry, then a
//                                  short message asking for its receipt:
//                                  "PLAINCHAT entry-answer Y|N receipt-ms M";
//                                  short: names of one or two letters and no
//                                  group (an entry of about 20 bytes)
// The forged sources need root (IP_TRANSPARENT).
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// None when the words name no attack of these.
std::optional<bool> RunAnswerBudgetAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

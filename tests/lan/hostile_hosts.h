// Attacks on the fairness of the host table and of the share-password guard,
// for kwelpeer's "attack" (the forged sources need root: IP_TRANSPARENT):
//   hostfill COUNT RATE SECONDS    COUNT entries from as many forged addresses of
//                                  10.98.0.0/16 at once, then RATE a second from
//                                  new ones for SECONDS: "HOSTFILL sent N"
//   forgeexit VICTIM PORT          one exit forged from VICTIM's address and port:
//                                  "FORGEEXIT sent N"
//   fairshare FIRST COUNT PORTS    COUNT addresses from FIRST on (this host's own,
//                                  added to its interface) each echo the challenge
//                                  and announce PORTS ports: "FAIRSHARE addresses A
//                                  echoed E entries N"
//   echoentry SECONDS [DELAY]      a newcomer's entry from a new port, echoing every
//                                  challenge (DELAY ms after it came) for SECONDS:
//                                  "ECHOENTRY port P challenges C answers A"
//   forgeguess VICTIM N            N wrong share passwords forged from VICTIM's
//                                  address (ports 20000 on): "FORGEGUESS sent N"
//   guessflood N ADDRESSES         N wrong share passwords from ADDRESSES forged
//                                  addresses of 10.97.0.0/16 in turn:
//                                  "GUESSFLOOD sent N"
//   shareslock VICTIM N GAP SIZE   an entry forged from this target's address (a
//                                  spare port) to VICTIM's program, announcing a head
//                                  picture of SIZE bytes (VICTIM asks that record for
//                                  it), then N wrong share passwords forged from
//                                  VICTIM's address and port to the target, GAP ms
//                                  apart: "SHARESLOCK entries E guesses G"
//   forgenotices SENDER SECONDS    read notices asking for their check that name no
//                                  request (challenges), forged from SENDER's address
//                                  and this target's port, 10 a second for SECONDS:
//                                  "FORGENOTICES started" after the first, then
//                                  "FORGENOTICES sent N"
//   rightpassword RIGHT TRIES      a listed peer sends the right password (scrambled
//                                  RIGHT) TRIES times, 1.5 s apart, echoing the
//                                  challenge: "RIGHTPASSWORD tries T lists L"
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// None when the words name no attack of these.
std::optional<bool> RunHostAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

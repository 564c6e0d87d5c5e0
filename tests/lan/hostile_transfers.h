// The hostile peers' attacks on file offers, for kwelpeer's "attack":
//   downloads N RATE ENTRIES CONFIRM [FROM]
//       a listed peer (bound to the address FROM when given) asks for the
//       share list, then sends N download requests of the first ENTRIES
//       shares at RATE a second and never fetches anything; with CONFIRM 1
//       it confirms every offer message, with 0 none. Figure line:
//       "DOWNLOADS sent N offers M entries E last-offer-ms T"
//   offerflood N FILES
//       a listed peer sends N messages each offering FILES files (names
//       "f<message>_<file>.<ext>", some with a suffix of their own) within
//       1.2 s, then one message without files (the probe), resending every
//       message without a receipt as a peer does (every 1.5 s; the flood's
//       three times, the probe until 60 s are over). Figure line: "OFFERFLOOD
//       port P sent N receipted R released L probe-ms T" (P the peer's port,
//       R flood messages receipted, L of them released with 0x61, T from the
//       probe's first send to its receipt, -1 without one)
#pragma once

#include <QStringList>
#include <functional>

// False when the words name no attack of this file (or the target cannot be
// reached).
bool RunTransferAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

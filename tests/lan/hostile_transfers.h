// The hostile peers' attacks on file offers, for kwelpeer's "attack":
//   downloads N RATE ENTRIES CONFIRM [FROM]
//       a listed peer (bound to the address FROM when given) asks for the
//       share list, then sends N download requests of the first ENTRIES
//       shares at RATE a second and never fetches anything; with CONFIRM 1
//       it confirms every offer message, with 0 none. Figure line:
//       "DOWNLOADS sent N offers M entries E last-offer-ms T"
#pragma once

#include <QStringList>
#include <functional>

// False when the words name no attack of this file (or the target cannot be
// reached).
bool RunTransferAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

// Strangers that use up the chat windows the network may open, for
// kwelpeer's "attack":
//   strangers COUNT PACE_MS FROM...  COUNT new identities, one every PACE_MS,
//                                    from the addresses FROM (this host's own)
//                                    in turn, each on a port of its own: its
//                                    entry, then one short message asking for
//                                    a receipt: "STRANGERS sent N receipted R"
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// None when the words name no attack of these.
std::optional<bool> RunStrangerAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

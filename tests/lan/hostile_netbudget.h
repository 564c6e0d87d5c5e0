// Attacks on what our answers and records cost, for kwelpeer's "attack":
//   sink FIRSTPORT COUNT SECONDS   a host that runs no Kwel: counts the UDP bytes
//                                  that reach ports FIRSTPORT.. for SECONDS:
//                                  "SINK bytes B packets P"
//   reflect VICTIM FIRSTPORT COUNT KIND
//                                  requests with the forged source VICTIM, from
//                                  COUNT ports FIRSTPORT.. (each announced first,
//                                  so that it is listed): KIND storedpic ID (one
//                                  chunk of a stored picture claiming 8000
//                                  chunks), ownpic (0x7b, 0x7d), shares (0x90,
//                                  0x94), small (0x30 with its check, 0x01, 0x20,
//                                  0x40, 0x50, 0x72, 0x90, 0x92 unlisted):
//                                  "REFLECT KIND sent B packets P"
//   guess N RIGHT                  a listed peer sends N wrong share passwords at
//                                  once, then the right one (scrambled RIGHT):
//                                  "GUESS sent N wrong W lists L right-after R"
//   macclaim MAC                   a listed peer claiming MAC asks for the shares:
//                                  "MACCLAIM list|need-password|none"
//   receiver                       a listed peer that receives at its address (it
//                                  echoes the challenge) asks for the head
//                                  picture: "RECEIVER chunks C bytes B"
//   entryflood SECONDS RATE        entries from forged addresses of 10.99.0.0/16
//                                  (and every tenth from a new port of our own):
//                                  "ENTRYFLOOD sent N"
//   unheldflood FIRST COUNT SECONDS RATE
//                                  entries of 120 bytes forged from the addresses
//                                  FIRST.. (COUNT of them in turn), a new source
//                                  port each, RATE a second for SECONDS:
//                                  "UNHELDFLOOD sent N bytes B"
//   entrytime SECONDS              a new peer's entry every 500 ms, each from a
//                                  new port: "ENTRYTIME tries T answered A
//                                  max-ms M each MS,..." (-1: no answer in 3 s)
//   spamflood N TEXT [PORT]        a listed peer (from PORT) that receives at its
//                                  address (it echoes the challenge of a share-list
//                                  request) sends N messages TEXT, 20 at a time, each group
//                                  resent until receipted; then waits 1.5 s for
//                                  what comes late: "SPAMFLOOD sent N receipted R
//                                  replies P ms MS" (replies: automatic replies,
//                                  MS from the first message to the end)
// The forged sources need root (IP_TRANSPARENT).
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// None when the words name no attack of these.
std::optional<bool> RunBudgetAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

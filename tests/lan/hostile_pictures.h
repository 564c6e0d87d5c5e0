// The hostile peers' attacks on what stored pictures cost (kwelpeer's
// "attack" command reaches them through RunAttack), each ending with figure
// lines given to `report`:
//   storedmem N        a listed peer stores a picture of the largest size,
//                      then N new identities (new source ports) each send a
//                      message naming it 64 times and a chunk of it
//   storedmix M        130 tiny stored pictures and the large one, then M
//                      messages to one window naming the large one and 63
//                      tiny ones
//   diskflood A...     from each source address A, one listed peer sends two
//                      pictures that decode to the largest size, each named
//   victim ID FROM     a listed peer at the address FROM sends picture ID
//                      (small) and the message naming it: its acknowledgements
//   headmacs N         one address announces itself under N MACs in turn,
//                      each time with a head picture
//   starvemany A...    one listed peer at each source address A opens large
//                      pictures and keeps them fed; then the victim at the
//                      last address sends a small picture: its acknowledgements
// Returns false when the attack is not one of these.
#pragma once

#include <QStringList>
#include <functional>

bool RunPictureAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

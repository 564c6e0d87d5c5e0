// Datagrams as the wire may bring them, built byte by byte and sent from raw
// sockets (root only), for kwelpeer's "attack":
//   badsum N             N datagrams of 170 bytes whose UDP checksum is wrong,
//                        from our own address (the kernel drops each as the
//                        program reads it): "BADSUM sent N"
//   zerosource           an entry from 0.0.0.0 to 255.255.255.255 (as a
//                        broadcast may carry it): "ZEROSOURCE sent N"
//   fromaddr ADDR PORT   an entry, an information request and a read notice
//                        asking for its check, "from" ADDR:PORT (say, our
//                        network's broadcast address): "FROMADDR sent N"
//   numbers ADDR PORT FIRST N   N empty packets (command 0) "from" ADDR:PORT
//                        numbered FIRST, FIRST + 1, ...: "NUMBERS sent N"
#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// None when the words name no attack of these.
std::optional<bool> RunWireAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

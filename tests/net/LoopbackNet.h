// A network manager for tests that talk through 127.0.0.1: any free port,
// broadcasts to loopback only; a TCP listener on the same port when asked
// (file transfers).
#pragma once

#include "net/CNetManager.h"

namespace TestNet {

inline bool openLoopback(CNetManager &net, const QString &mac = QString(), bool listenTcp = false)
{
    CNetManager::Options o;
    o.bindAddress = QHostAddress(QHostAddress::LocalHost);
    o.port = 0;
    o.listenTcp = listenTcp;
    o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
    const bool opened = net.Open(o);
    net.setOwnIdentity(0x7F000001, mac);
    return opened;
}

} // namespace TestNet

// A network manager for tests that talk through 127.0.0.1: any free port, no
// TCP listener, broadcasts to loopback only.
#pragma once

#include "net/CNetManager.h"

namespace TestNet {

inline bool openLoopback(CNetManager &net, const QString &mac = QString())
{
    CNetManager::Options o;
    o.bindAddress = QHostAddress(QHostAddress::LocalHost);
    o.port = 0;
    o.listenTcp = false;
    o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
    const bool opened = net.Open(o);
    net.setOwnIdentity(0x7F000001, mac);
    return opened;
}

} // namespace TestNet

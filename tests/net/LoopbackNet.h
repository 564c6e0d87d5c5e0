// A network manager for tests that talk through 127.0.0.1: any free port,
// broadcasts to loopback only; a TCP listener on the same port when asked
// (file transfers).
#pragma once

#include "net/CNetManager.h"

namespace TestNet {

// Opens on the options; with port 0 and a TCP listener the free UDP port may
// be taken for TCP by another program running at the same time, so a few
// further ports are tried.
inline bool openAnyPort(CNetManager &net, const CNetManager::Options &options)
{
    const int tries = options.port == 0 && options.listenTcp ? 8 : 1;
    for (int i = 0; i < tries; ++i)
        if (net.Open(options))
            return true;
    return false;
}

inline bool openLoopback(CNetManager &net, const QString &mac = QString(), bool listenTcp = false)
{
    CNetManager::Options o;
    o.bindAddress = QHostAddress(QHostAddress::LocalHost);
    o.port = 0;
    o.listenTcp = listenTcp;
    o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
    const bool opened = openAnyPort(net, o);
    net.setOwnIdentity(0x7F000001, mac);
    return opened;
}

} // namespace TestNet

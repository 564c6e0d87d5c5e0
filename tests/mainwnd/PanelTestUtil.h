// A main panel over an engine on loopback, for the panel's tests.
#pragma once

#include "TestEnv.h"
#include "core/CConfig.h"
#include "mainwnd/CMainPanelDlg.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"
#include "platform/CTrayIcon.h"
#include "platform/GlobalHotKey.h"

#include <QUdpSocket>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

inline constexpr quint32 kLoopback = 0x7F000001;

// A panel over an engine on loopback; peers arrive as datagrams handed to
// the engine, its own broadcasts go to a socket nobody reads.
struct Panel
{
    explicit Panel(bool trayAvailable = true, const std::function<void(CConfig &)> &configure = {})
        : config(TestEnv::freshDir(QStringLiteral("panel")) + QStringLiteral("/kwel.ini"))
    {
        sink.bind(QHostAddress(QHostAddress::LocalHost), 0);
        if (configure)
            configure(config);
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.broadcastTargets = {QHostAddress(QHostAddress::LocalHost)};
        o.broadcastPort = sink.localPort();
        o.listenTcp = false;
        EXPECT_TRUE(net.Open(o));
        net.setOwnIdentity(kLoopback, QStringLiteral("00163E0A0B0C"));
        engine = std::make_unique<MessengerEngine>(config, net);
        engine->setIdentity(QStringLiteral("wang"), QStringLiteral("wang-pc"));
        auto trayIcon = std::make_unique<FakeTrayIcon>(trayAvailable);
        auto key = std::make_unique<FakeGlobalHotKey>();
        tray = trayIcon.get();
        hotKey = key.get();
        panel = std::make_unique<CMainPanelDlg>(*engine, PanelPlatform{std::move(trayIcon), std::move(key)});
    }

    void announce(quint32 address, const QString &nick, const QString &mac, int extVersion = 1)
    {
        OwnHeader h;
        h.userName = nick + QStringLiteral("-login");
        h.hostName = nick + QStringLiteral("-pc");
        h.macText = mac;
        QByteArray data = PacketCodec::BuildTextPacket(h, ++packet, CMD_ANNOUNCE_ENTRY, nick, QStringLiteral("研发部"));
        // A newer program announces a higher extension version.
        if (extVersion != 1)
            data.replace(QByteArray("_wzk1_"), QByteArray("_wzk" + QByteArray::number(extVersion) + "_"));
        engine->HandleDatagram(data, address, 2425);
    }

    QUdpSocket sink;
    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    FakeTrayIcon *tray = nullptr;
    FakeGlobalHotKey *hotKey = nullptr;
    std::unique_ptr<CMainPanelDlg> panel;
    quint32 packet = 100;
};

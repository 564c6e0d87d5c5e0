// What the command line and the configuration decide before the sockets open.
#pragma once

#include <QStringList>

struct StartOptions
{
    bool autoStart = false;  // the single argument "1" that the autostart entry passes
    int commandLinePort = 0; // 0 when no usable port was given
};

constexpr int kDefaultPort = 2425;

StartOptions ParseCommandLine(const QStringList &arguments);
// A port is usable when it is at least 1024 and below 49151.
bool IsUsablePort(long long port);
// The command-line port, else the configured port, else 2425.
int ChoosePort(int commandLinePort, long long configuredPort);

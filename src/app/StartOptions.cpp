#include "app/StartOptions.h"

StartOptions ParseCommandLine(const QStringList &arguments)
{
    StartOptions options;
    // arguments[0] is the program itself.
    if (arguments.size() < 2)
        return options;
    const QString &first = arguments.at(1);
    if (arguments.size() == 2 && first == QLatin1String("1")) {
        options.autoStart = true;
        return options;
    }
    bool ok = false;
    const long long port = first.trimmed().toLongLong(&ok);
    if (ok && IsUsablePort(port))
        options.commandLinePort = int(port);
    return options;
}

bool IsUsablePort(long long port)
{
    return port >= 1024 && port < 49151;
}

int ChoosePort(int commandLinePort, long long configuredPort)
{
    if (IsUsablePort(commandLinePort))
        return commandLinePort;
    if (IsUsablePort(configuredPort))
        return int(configuredPort);
    return kDefaultPort;
}

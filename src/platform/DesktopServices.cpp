#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <atomic>

#ifdef KWEL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

namespace {

class InertDesktopServices final : public DesktopServices
{
public:
    bool openUrl(const QUrl &) override { return false; }
};

InertDesktopServices g_inert;
std::atomic<DesktopServices *> g_current { nullptr };

} // namespace

DesktopServices &DesktopServices::current()
{
    DesktopServices *s = g_current.load();
    return s ? *s : g_inert;
}

DesktopServices *DesktopServices::setCurrent(DesktopServices *services)
{
    return g_current.exchange(services);
}

bool QtDesktopServices::openUrl(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopServices::showInFolder(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    return !path.isEmpty() && openUrl(QUrl::fromLocalFile(folder));
}

bool QtDesktopServices::showInFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef KWEL_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("ShowItems"));
        call << QStringList(QUrl::fromLocalFile(path).toString()) << QString();
        // The answer comes later: a file manager that is missing or refuses
        // leaves the folder to be opened then.
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [path](QDBusPendingCallWatcher *w) {
            if (QDBusPendingReply<>(*w).isError())
                QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
            w->deleteLater();
        });
        return true;
    }
#endif
    return DesktopServices::showInFolder(path);
}

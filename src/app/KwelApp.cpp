#include "app/KwelApp.h"

#include "app/CMessengerApp.h"
#include "platform/DesktopServices.h"
#include "platform/QtPrompter.h"

#include <QApplication>

namespace KwelApp {

void setIdentity(QApplication &app)
{
    app.setOrganizationName(QStringLiteral("TARPELON"));
    app.setApplicationName(QStringLiteral("Kwel"));
    app.setApplicationDisplayName(QStringLiteral("Kwel"));
    app.setApplicationVersion(QStringLiteral("0.1.0"));
}

int run(QApplication &app)
{
    QtPrompter prompter;
    PrompterScope prompterScope(prompter);
    QtDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    CMessengerApp messenger(app);
    return messenger.Run();
}

} // namespace KwelApp

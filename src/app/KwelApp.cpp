#include "app/KwelApp.h"

#include "mainwnd/CMainPanelDlg.h"
#include "platform/DesktopServices.h"
#include "platform/QtPrompter.h"

#include <QApplication>

namespace KwelApp {

void setIdentity(QApplication &app)
{
    app.setOrganizationName(QStringLiteral("TARPELON"));
    app.setApplicationName(QStringLiteral("Kwel"));
    app.setApplicationDisplayName(QStringLiteral("Kwel"));
}

int run(QApplication &app)
{
    QtPrompter prompter;
    PrompterScope prompterScope(prompter);
    QtDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    CMainPanelDlg panel;
    panel.show();
    return app.exec();
}

} // namespace KwelApp

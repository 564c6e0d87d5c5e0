#include "app/KwelApp.h"

#include "mainwnd/CMainPanelDlg.h"

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
    CMainPanelDlg panel;
    panel.show();
    return app.exec();
}

} // namespace KwelApp

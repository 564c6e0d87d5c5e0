#include "app/KwelApp.h"

#include "app/CMessengerApp.h"
#include "platform/ColorChooser.h"
#include "platform/DesktopServices.h"
#include "platform/QtPrompter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace KwelApp {

void setIdentity(QApplication &app)
{
    app.setOrganizationName(QStringLiteral("TARPELON"));
    app.setApplicationName(QStringLiteral("Kwel"));
    app.setApplicationDisplayName(QStringLiteral("Kwel"));
    app.setApplicationVersion(QStringLiteral("0.1.0"));
}

bool installQtTranslation(QCoreApplication &app, const QString &folder)
{
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // Dates, numbers and sizes (the file dialog's columns, the calendar's
    // day names) are Chinese whatever the environment's locale, with or
    // without Qt's translated texts.
    QLocale::setDefault(chinese);
    auto *translator = new QTranslator(&app);
    if (!translator->load(chinese, QStringLiteral("qt"), QStringLiteral("_"), from)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

int run(QApplication &app)
{
    installQtTranslation(app);
    QtPrompter prompter;
    PrompterScope prompterScope(prompter);
    QtColorChooser colors;
    ColorChooserScope colorScope(colors);
    QtDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    CMessengerApp messenger(app);
    return messenger.Run();
}

} // namespace KwelApp

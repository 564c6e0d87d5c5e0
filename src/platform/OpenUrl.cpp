#include "platform/OpenUrl.h"

#include "core/Prompter.h"
#include "platform/DesktopServices.h"

#include <QApplication>
#include <QUrl>

int OpenUrl(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return OpenUrlResult::FileNotFound;
    return DesktopServices::current().openUrl(url) ? OpenUrlResult::Opened : OpenUrlResult::NoAssociation;
}

QString OpenUrlFailureText(int result)
{
    switch (result) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
    }
}

void ReportOpenUrlFailure(QObject *owner, int result)
{
    QApplication::beep();
    Prompter::current().messageBox(owner, QStringLiteral("Unable to open hyperlink:\n\n") + OpenUrlFailureText(result),
        QString(), Prompter::Buttons::Ok, Prompter::Icon::Warning);
}

bool OpenUrlOrReport(QObject *owner, const QString &address)
{
    const int result = OpenUrl(address);
    if (result > 32)
        return true;
    ReportOpenUrlFailure(owner, result);
    return false;
}

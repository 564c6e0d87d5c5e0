// Opening a web address in the user's browser, with the failure reasons of
// the Windows program's opener. Only http and https addresses are opened,
// always through the desktop (never a command line).
#pragma once

#include <QString>

class QObject;

namespace OpenUrlResult {
// Results of 32 and below are failures, as the Windows opener reported them.
inline constexpr int Opened = 33;
inline constexpr int FileNotFound = 2; // an address that is not http or https
inline constexpr int NoAssociation = 31; // the desktop could not open it
} // namespace OpenUrlResult

// Hands the address to the current desktop services. Returns Opened, or a
// failure result.
int OpenUrl(const QString &address);
// The reason for a failure result ("The specified file was not found." ...).
QString OpenUrlFailureText(int result);
// Beeps and shows "Unable to open hyperlink:\n\n" with the reason.
void ReportOpenUrlFailure(QObject *owner, int result);
// OpenUrl and, on failure, ReportOpenUrlFailure; true when opened.
bool OpenUrlOrReport(QObject *owner, const QString &address);

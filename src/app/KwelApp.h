// Start-up of the program: application identity and the main panel.
#pragma once

#include <QString>

class QApplication;
class QCoreApplication;

namespace KwelApp {
// Sets the names under which settings and data are stored.
void setIdentity(QApplication &app);
// Installs Qt's own Chinese translation (qt_zh_CN.qm from the folder, by
// default Qt's translations folder), so that the standard dialogs and buttons
// speak Chinese whatever the desktop's language. False when the file is
// missing or unreadable; the program then runs with Qt's English texts.
// Qt's default locale becomes Chinese (China) either way.
bool installQtTranslation(QCoreApplication &app, const QString &folder = QString());
// Runs the program; returns the process exit code.
int run(QApplication &app);
}

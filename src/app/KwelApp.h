// Start-up of the program: application identity and the main panel.
#pragma once

class QApplication;

namespace KwelApp {
// Sets the names under which settings and data are stored.
void setIdentity(QApplication &app);
// Runs the program; returns the process exit code.
int run(QApplication &app);
}

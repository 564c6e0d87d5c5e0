#include "app/KwelApp.h"
#include "core/OpenFileLimit.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Before anything opens a descriptor: connections and threads need them.
    RaiseOpenFileLimit();
    QApplication app(argc, argv);
    KwelApp::setIdentity(app);
    return KwelApp::run(app);
}

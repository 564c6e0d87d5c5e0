#include "app/KwelApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    KwelApp::setIdentity(app);
    return KwelApp::run(app);
}

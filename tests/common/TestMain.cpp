// Test main shared by every test executable: the tests never see the real
// home folder, never open a window on a real display and never block on a
// dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kwel-test-XXXXXX"));
    if (!home.isValid())
        return 2;
    const std::string h = home.path().toStdString();
    setenv("HOME", h.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (h + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (h + "/.cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (h + "/.run").c_str(), 1);
    setenv("TMPDIR", (h + "/.tmp").c_str(), 1);
    QDir(home.path()).mkpath(QStringLiteral(".run"));
    QDir(home.path()).mkpath(QStringLiteral(".tmp"));
    QFile::setPermissions(home.path() + QStringLiteral("/.run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TARPELON"));
    QApplication::setApplicationName(QStringLiteral("Kwel"));
    // As the program names itself: the desktop shows it after every title.
    QApplication::setApplicationDisplayName(QStringLiteral("Kwel"));
    return RUN_ALL_TESTS();
}

#include "app/KwelApp.h"
#include "app/SingleInstance.h"
#include "app/StartOptions.h"
#include "TestEnv.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSignalSpy>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

QStringList args(std::initializer_list<const char *> list)
{
    QStringList out{QStringLiteral("kwel")};
    for (const char *a : list)
        out << QString::fromLatin1(a);
    return out;
}

TEST(StartOptions, CommandLine)
{
    EXPECT_TRUE(ParseCommandLine(args({"1"})).autoStart);
    EXPECT_EQ(ParseCommandLine(args({"1"})).commandLinePort, 0);
    EXPECT_FALSE(ParseCommandLine(args({})).autoStart);
    EXPECT_EQ(ParseCommandLine(args({"2500"})).commandLinePort, 2500);
    EXPECT_EQ(ParseCommandLine(args({"1024"})).commandLinePort, 1024);
    EXPECT_EQ(ParseCommandLine(args({"1023"})).commandLinePort, 0);
    EXPECT_EQ(ParseCommandLine(args({"49151"})).commandLinePort, 0);
    EXPECT_EQ(ParseCommandLine(args({"49150"})).commandLinePort, 49150);
    EXPECT_EQ(ParseCommandLine(args({"abc"})).commandLinePort, 0);
    EXPECT_EQ(ParseCommandLine(args({"99999999999999999999"})).commandLinePort, 0);
    // "1" only means auto-start when it stands alone.
    EXPECT_FALSE(ParseCommandLine(args({"1", "x"})).autoStart);
}

TEST(StartOptions, PortChoice)
{
    EXPECT_EQ(ChoosePort(3000, 4000), 3000);
    EXPECT_EQ(ChoosePort(0, 4000), 4000);
    EXPECT_EQ(ChoosePort(0, 80), kDefaultPort);
    EXPECT_EQ(ChoosePort(0, 49151), kDefaultPort);
    EXPECT_EQ(ChoosePort(0, -5), kDefaultPort);
    EXPECT_EQ(ChoosePort(0, 1LL << 40), kDefaultPort);
}

TEST(SingleInstance, SecondCopyAsksFirstToComeForward)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("single"));
    SingleInstance first(dir, QStringLiteral("/data/a"));
    ASSERT_TRUE(first.acquire());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);

    SingleInstance second(dir, QStringLiteral("/data/a"));
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(activated.wait(2000));

    // Another data folder is another instance.
    SingleInstance other(dir, QStringLiteral("/data/b"));
    EXPECT_TRUE(other.acquire());
}

TEST(SingleInstance, LockIsFreedWithTheFirstCopy)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("single2"));
    {
        SingleInstance first(dir, QStringLiteral("/data/c"));
        ASSERT_TRUE(first.acquire());
    }
    SingleInstance again(dir, QStringLiteral("/data/c"));
    EXPECT_TRUE(again.acquire());
}

// Qt's own texts (standard buttons, file and font dialogs) in Chinese when
// the distribution's translation is installed; English, and no failure, when
// it is missing.
TEST(StartUp, QtTranslation)
{
    auto &app = *QCoreApplication::instance();
    const auto okText = [] { return QCoreApplication::translate("QPlatformTheme", "OK"); };
    const auto removeAll = [&app] {
        for (QTranslator *t : app.findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    };

    const QLocale before;
    EXPECT_FALSE(KwelApp::installQtTranslation(app, TestEnv::freshDir(QStringLiteral("no-qm"))));
    EXPECT_EQ(okText(), QStringLiteral("OK"));
    EXPECT_TRUE(app.findChildren<QTranslator *>().isEmpty());
    EXPECT_EQ(QLocale().language(), QLocale::Chinese) << "dates and sizes are Chinese without Qt's texts too";
    EXPECT_EQ(QLocale().territory(), QLocale::China);
    QLocale::setDefault(before);

    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    ASSERT_TRUE(QFile::exists(folder + QStringLiteral("/qt_zh_CN.qm")))
        << "Qt's Chinese translation is missing: scripts/setup.sh installs it";
    EXPECT_TRUE(KwelApp::installQtTranslation(app));
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_EQ(okText(), QStringLiteral("确定"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    removeAll();
    QLocale::setDefault(before);
    EXPECT_EQ(okText(), QStringLiteral("OK"));
}

} // namespace

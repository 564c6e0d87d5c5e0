#include "TestEnv.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopServices.h"
#include "platform/OpenUrl.h"
#include "platform/ScriptedPrompter.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// desktop-file-validate's verdict, or nothing where it is not installed.
std::optional<QString> validate(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool, {path});
    p.waitForFinished(10000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode() == 0 && !out.contains(QLatin1String("error")) ? QString() : out;
}

TEST(DesktopEntry, ExecQuotingOfTheFormat)
{
    EXPECT_EQ(DesktopEntry::QuoteExecArgument(QStringLiteral("/usr/bin/kwel")), QStringLiteral("/usr/bin/kwel"));
    EXPECT_EQ(DesktopEntry::QuoteExecArgument(QStringLiteral("1")), QStringLiteral("1"));
    // Blanks quote; ", `, $ and \ are escaped inside the quotes, and the
    // backslashes once more for the string value.
    EXPECT_EQ(DesktopEntry::QuoteExecArgument(QStringLiteral("/opt/my apps/kwel")),
        QStringLiteral("\"/opt/my apps/kwel\""));
    EXPECT_EQ(DesktopEntry::QuoteExecArgument(QStringLiteral("/a$b\"c")), QStringLiteral("\"/a\\\\$b\\\\\"c\""));
    EXPECT_EQ(DesktopEntry::QuoteExecArgument(QStringLiteral("/x/100%")), QStringLiteral("\"/x/100%%\""));
    EXPECT_EQ(DesktopEntry::FileName(QStringLiteral("/usr/bin/kwel")), QStringLiteral("kwel.desktop"));
    EXPECT_EQ(DesktopEntry::FileName(QStringLiteral("C:/Kwel.EXE")), QStringLiteral("Kwel.desktop"));
}

TEST(DesktopEntry, ShortcutAndAutostartFilesAreValid)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("entries"));
    DesktopEntry::Entry entry;
    entry.name = QStringLiteral("Kwel");
    entry.comment = QStringLiteral("蓝雀Kwel 局域网即时通讯");
    entry.program = QStringLiteral("/opt/蓝雀 Kwel/kwel");
    entry.icon = dir + QStringLiteral("/kwel.png");
    const QString shortcut = dir + QStringLiteral("/desk/kwel.desktop");
    ASSERT_TRUE(DesktopEntry::Write(shortcut, entry));
    const QString text = QString::fromUtf8(TestEnv::readAll(shortcut));
    EXPECT_TRUE(text.startsWith(QLatin1String("[Desktop Entry]\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"/opt/蓝雀 Kwel/kwel\"\n")));
    EXPECT_FALSE(text.contains(QLatin1String("Autostart")));
    EXPECT_TRUE(QFileInfo(shortcut).isExecutable()) << "file managers start only executable entries";

    entry.arguments = {QStringLiteral("1")};
    entry.autostart = true;
    const QString autostart = dir + QStringLiteral("/autostart/kwel.desktop");
    ASSERT_TRUE(DesktopEntry::Write(autostart, entry));
    EXPECT_TRUE(QString::fromUtf8(TestEnv::readAll(autostart)).contains(QStringLiteral("Exec=\"/opt/蓝雀 Kwel/kwel\" 1\n")));
    for (const QString &path : {shortcut, autostart}) {
        if (const auto verdict = validate(path)) {
            EXPECT_TRUE(verdict->isEmpty()) << qPrintable(*verdict);
        }
    }
    EXPECT_FALSE(DesktopEntry::Write(QStringLiteral("/proc/no/such.desktop"), entry));
}

TEST(OpenUrl, OnlyWebAddressesThroughTheDesktop)
{
    RecordingDesktopServices desktop;
    DesktopServicesScope scope(desktop);
    EXPECT_EQ(OpenUrl(QStringLiteral("http://127.0.0.1/dl.htm")), OpenUrlResult::Opened);
    EXPECT_EQ(OpenUrl(QStringLiteral(" https://example.com/a?b=1 ")), OpenUrlResult::Opened);
    for (const char *refused : {"file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "", "ftp://x/y",
             "http://"})
        EXPECT_EQ(OpenUrl(QString::fromLatin1(refused)), OpenUrlResult::FileNotFound) << refused;
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_EQ(desktop.opened[0], QUrl(QStringLiteral("http://127.0.0.1/dl.htm")));

    desktop.result = false;
    ScriptedPrompter prompter;
    PrompterScope prompts(prompter);
    EXPECT_FALSE(OpenUrlOrReport(nullptr, QStringLiteral("http://127.0.0.1/")));
    EXPECT_EQ(prompter.calls().last().text,
        QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension."));
    EXPECT_EQ(OpenUrlFailureText(2), QStringLiteral("The specified file was not found."));
    EXPECT_EQ(OpenUrlFailureText(99), QStringLiteral("Unknown Error (99) occurred."));
}

} // namespace

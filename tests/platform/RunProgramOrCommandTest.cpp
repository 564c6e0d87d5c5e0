#include "platform/RunProgramOrCommand.h"
#include "common/TestEnv.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(RunProgramOrCommand, OpensAddressesAndExistingFilesOnly)
{
    const QString dir = TestEnv::freshDir(u("run"));
    const QString file = dir + u("/说明 1.txt");
    ASSERT_TRUE(TestEnv::writeAll(file, "x"));

    RecordingDesktopServices desktop;
    ScriptedPrompter prompter;
    DesktopServicesScope desktopScope(desktop);
    PrompterScope prompterScope(prompter);

    EXPECT_TRUE(RunProgramOrCommand(u"  https://example.com/a b?q=1 "));
    EXPECT_TRUE(RunProgramOrCommand(u"HTTP://example.com/"));
    EXPECT_TRUE(RunProgramOrCommand(u"ftp://files.example.com/x"));
    EXPECT_TRUE(RunProgramOrCommand(u"mailto:someone@example.com"));
    EXPECT_TRUE(RunProgramOrCommand(file));
    EXPECT_TRUE(RunProgramOrCommand(QUrl::fromLocalFile(dir).toString()));
    ASSERT_EQ(desktop.opened.size(), 6);
    EXPECT_EQ(desktop.opened[0].host(), u("example.com"));
    EXPECT_EQ(desktop.opened[4], QUrl::fromLocalFile(file));
    EXPECT_TRUE(desktop.opened[5].isLocalFile());
    EXPECT_EQ(prompter.calls().size(), 0);

    // Nothing that is not an address or an existing path reaches the desktop,
    // and nothing is ever run as a command line.
    for (const char *refused : { "", "   ", "rm -rf /tmp/x; echo", "/no/such/file", "javascript:alert(1)",
             "smb://host/share", "http://", "file:///no/such/file", "C:\\Windows\\notepad.exe" }) {
        prompter.clear();
        EXPECT_FALSE(RunProgramOrCommand(u(refused))) << refused;
        ASSERT_EQ(prompter.calls().size(), 1) << refused;
        EXPECT_EQ(prompter.calls()[0].caption, u("消息"));
        EXPECT_TRUE(prompter.calls()[0].text.startsWith(u(refused))) << refused;
    }
    EXPECT_EQ(desktop.opened.size(), 6);

    // The desktop has no program for it: reported, not claimed as done.
    desktop.result = false;
    prompter.clear();
    EXPECT_FALSE(RunProgramOrCommand(u"https://example.com/"));
    EXPECT_EQ(prompter.calls().size(), 1);
}

} // namespace

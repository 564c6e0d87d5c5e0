#include "mainwnd/CNewVersionDlg.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

// Without a download address the button says so in Chinese, through the
// prompter; nothing is handed to the desktop.
TEST(CNewVersionDlg, WithoutADownloadAddressTheUserIsToldInChinese)
{
    ScriptedPrompter prompter;
    PrompterScope prompterScope(prompter);
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    CNewVersionDlg dlg;
    dlg.SetInfo(u("Kwel检测到局域网内有更高版本!"), QStringLiteral("  "), true, 0x0A000005);
    dlg.ShowSliding();
    dlg.findChild<QPushButton *>(QStringLiteral("1001"))->click();
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].caption, u("提示"));
    EXPECT_EQ(prompter.calls()[0].text, u("没有得到新版本的下载地址，请稍后再检查新版本。"));
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_FALSE(dlg.isVisible());

    // An address that is not a web page keeps the opener's own report.
    prompter.clear();
    dlg.SetInfo(u("1、新界面"), QStringLiteral("ftp://127.0.0.1/kwel"), false, 0);
    dlg.ShowSliding();
    dlg.OnDownload();
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_TRUE(prompter.calls()[0].text.startsWith(QStringLiteral("Unable to open hyperlink:")));
}

// The slide rises a tenth of the notice a step and ends with its frame in
// the corner of the work area; a notice taller or wider than the work area
// keeps its top left corner on it.
TEST(CNewVersionDlg, TheSlideEndsOnTheWorkArea)
{
    const QRect work(0, 0, 800, 570);
    for (int step = 1; step <= CNewVersionDlg::kSlideSteps; ++step)
        EXPECT_EQ(CNewVersionDlg::SlidePosition(work, QSize(320, 250), step).y(), 570 - 25 * step) << step;
    EXPECT_EQ(CNewVersionDlg::SlidePosition(work, QSize(320, 250), 10), QPoint(480, 320));
    EXPECT_EQ(CNewVersionDlg::SlidePosition(work, QSize(900, 700), 10), QPoint(0, 0));
    EXPECT_EQ(CNewVersionDlg::SlidePosition(QRect(100, 30, 800, 570), QSize(320, 250), 99), QPoint(580, 350));

    // The shown notice, grown by its layout after the slide, stays inside.
    CNewVersionDlg dlg;
    dlg.SetInfo(u("1、新界面"), QStringLiteral("http://127.0.0.1/dl.htm"), false, 0);
    dlg.ShowSliding();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.isSliding(), 3000);
    dlg.resize(dlg.width(), dlg.height() + 60);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(dlg.frameGeometry())) << "the frame's bottom at " << dlg.frameGeometry().bottom();
    EXPECT_EQ(dlg.frameGeometry().bottom(), area.bottom());
    dlg.close();
}

} // namespace

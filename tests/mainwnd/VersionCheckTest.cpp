#include "LocalHttpServer.h"
#include "SpyWait.h"
#include "PanelTestUtil.h"
#include "controls/CGfxOutBarCtrl.h"
#include "controls/HtmlPaneView.h"
#include "core/Gbk.h"
#include "mainwnd/CNewVersionDlg.h"
#include "mainwnd/CUpgradePromptDlg.h"
#include "mainwnd/CWebPaneDlg.h"
#include "mainwnd/NewerPeers.h"
#include "mainwnd/PanelVersionCheck.h"
#include "net/VersionFetch.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <QCheckBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {


QString u(const char *s) { return QString::fromUtf8(s); }

// The maker's site on 127.0.0.1.
struct Site
{
    Site()
        : server([this](const QByteArray &path) { return serve(path); })
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }
    QByteArray serve(const QByteArray &path)
    {
        ++requests;
        if (path == "/upgrade.htm")
            return LocalHttpServer::response("200 OK",
                Gbk::encode(u("<html>[MYKWELGBTAGBEGIN]------------Upgrade Infomation------------<br>"
                              "[Upgrade URL]http://127.0.0.1/dl.htm<br>[datetime:2099-1-1 0:00:00]<br>"
                              "新界面<br>[MYKWELTAGEND]</html>")));
        if (path == "/news.htm")
            return LocalHttpServer::response("200 OK",
                u("<html><script>document.write('x')</script><p>蓝雀新闻</p>"
                  "<a href=\"more.htm\">更多</a> <a href=\"file:///etc/passwd\">本地</a></html>")
                    .toUtf8(),
                "Content-Type: text/html; charset=utf-8\r\n");
        if (path == "/notice.htm")
            return LocalHttpServer::response("200 OK", Gbk::encode(u("[MYKWELGBTAGBEGIN]<p>公告</p>[MYKWELTAGEND]")));
        return LocalHttpServer::response("404 Not Found", "missing");
    }
    LocalHttpServer server;
    int requests = 0;
};

TEST(VersionCheck, NewerReleaseFromTheSiteSlidesUpAndOpensTheDownload)
{
    Site site;
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    Panel p(true, [&](CConfig &c) {
        c.UpgradePageURL1 = site.server.url("/gone.htm");
        c.UpgradePageURL2 = site.server.url("/upgrade.htm");
    });
    p.panel->InitPanel(false);
    PanelVersionCheck *check = p.panel->versionCheck();
    EXPECT_TRUE(check->versionTimerActive()) << "AutoCheckVersion starts timer 6";
    EXPECT_FALSE(check->noticeTimerActive());

    p.panel->CheckVersion();
    EXPECT_FALSE(check->versionTimerActive()) << "once";
    QTRY_VERIFY_WITH_TIMEOUT(check->newVersionDlg() && check->newVersionDlg()->isVisible(), 10000);
    CNewVersionDlg *dlg = check->newVersionDlg();
    EXPECT_EQ(dlg->objectName(), QStringLiteral("160"));
    EXPECT_EQ(dlg->windowTitle(), u("Kwel检测到新版本提示"));
    EXPECT_EQ(dlg->infoText(), u("1、新界面\n"));
    EXPECT_FALSE(dlg->isLan());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->isSliding(), 3000);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dlg->frameGeometry().bottom() + 1, work.bottom() + 1);
    EXPECT_EQ(dlg->frameGeometry().right(), work.right());
    EXPECT_EQ(CNewVersionDlg::SlidePosition(QRect(0, 0, 1000, 700), QSize(300, 200), 3), QPoint(700, 640));

    dlg->findChild<QPushButton *>(QStringLiteral("1001"))->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0], QUrl(QStringLiteral("http://127.0.0.1/dl.htm")));
    EXPECT_FALSE(dlg->isVisible());
}

TEST(VersionCheck, ANewerPeerOnTheLanIsToldWithoutAskingItForFiles)
{
    Site site;
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    Panel p(true, [&](CConfig &c) {
        c.UpgradePageURL1 = site.server.url("/upgrade.htm");
        c.DownloadPageURL = QStringLiteral("http://127.0.0.1/download.htm");
    });
    p.announce(0x7F000005, u("张三"), QStringLiteral("AABBCCDDEE01"));
    EXPECT_TRUE(NewerPeers::Newest(p.engine->hostTable()).isEmpty()) << "the same version is not newer";
    p.announce(0x7F000006, u("李四"), QStringLiteral("AABBCCDDEE02"), 3);
    p.announce(0x7F000007, u("王五"), QStringLiteral("AABBCCDDEE03"), 2);
    ASSERT_EQ(NewerPeers::Newest(p.engine->hostTable()).size(), 1);
    EXPECT_EQ(NewerPeers::ExtensionPeerAddresses(p.engine->hostTable(), kLoopback).size(), 3);

    p.panel->CheckVersion();
    CNewVersionDlg *dlg = p.panel->versionCheck()->newVersionDlg();
    ASSERT_TRUE(dlg && dlg->isVisible());
    EXPECT_TRUE(dlg->isLan());
    EXPECT_EQ(dlg->peerAddress(), 0x7F000006u);
    EXPECT_EQ(dlg->infoText(),
        u("Kwel检测到局域网内有更高版本!该用户是:\n用户名:李四\n主机名:李四-pc\nIP地址:127.0.0.6\n组名:研发部"));
    QTest::qWait(200);
    EXPECT_EQ(site.requests, 0) << "a newer peer makes the web check unnecessary";
    dlg->OnDownload();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].path(), QStringLiteral("/download.htm"));

    // Without a download address the button says so in Chinese. The slid-up
    // notice stays wholly on the work area, also after its size changed.
    ScriptedPrompter prompter;
    PrompterScope prompterScope(prompter);
    p.panel->versionCheck()->ShowNewVersion(dlg->infoText(), QStringLiteral(" "), true, 0x7F000006);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->isSliding(), 3000);
    dlg->resize(dlg->width(), dlg->height() + 60);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(dlg->frameGeometry()));
    EXPECT_EQ(dlg->frameGeometry().bottom(), area.bottom());
    dlg->findChild<QPushButton *>(QStringLiteral("1001"))->click();
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u("没有得到新版本的下载地址，请稍后再检查新版本。"));
    EXPECT_EQ(prompter.calls()[0].caption, u("提示"));
    EXPECT_EQ(desktop.opened.size(), 1);
}

TEST(VersionCheck, PictureLibraryPromptAsksPeersRoundRobin)
{
    CConfig config(TestEnv::freshDir(QStringLiteral("prompt")) + QStringLiteral("/k.ini"));
    config.GdiPlusTip = 1;
    CUpgradePromptDlg dlg(&config);
    auto *lan = dlg.findChild<QPushButton *>(QStringLiteral("1003"));
    dlg.SetSources(QStringLiteral("http://127.0.0.1/gdiplus"), {1, 2, 3}, {});
    EXPECT_FALSE(lan->isEnabled()) << "no LAN download without a way to ask";
    QList<quint32> asked;
    dlg.SetSources(QStringLiteral("http://127.0.0.1/gdiplus"), {1, 2, 3}, [&](quint32 a) { asked.append(a); });
    EXPECT_TRUE(lan->isEnabled());
    CUpgradePromptDlg::nextPeerIndex() = 0;
    for (int i = 0; i < 4; ++i)
        lan->click();
    EXPECT_EQ(asked, (QList<quint32>{1, 2, 3, 1}));
    CUpgradePromptDlg::nextPeerIndex() = 7; // outside the list: from the start
    lan->click();
    EXPECT_EQ(asked.last(), 1u);
    dlg.findChild<QCheckBox *>(QStringLiteral("1046"))->setChecked(true);
    dlg.findChild<QPushButton *>(QStringLiteral("2"))->click();
    EXPECT_EQ(config.GdiPlusTip, 0);
    EXPECT_TRUE(PanelVersionCheck::PictureLibraryAvailable()) << "so the panel never prompts";
}

TEST(WebPane, FolderWidensThePanelAndShowsTheSummaryPage)
{
    Site site;
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    Panel p(true, [&](CConfig &c) {
        c.ShowBbsBar = 1;
        c.NewsPageURL = site.server.url("/news.htm");
    });
    p.panel->setWindowFlag(Qt::FramelessWindowHint);
    p.panel->InitPanel(false);
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    ASSERT_EQ(p.panel->webPaneFolder(), 3);
    EXPECT_EQ(bar->GetFolderText(3), u("蓝雀vudo"));
    CWebPaneDlg *pane = p.panel->webPane();
    EXPECT_EQ(bar->GetFolderPage(3), pane);
    EXPECT_EQ(pane->findChild<HtmlPaneView *>(QStringLiteral("1150")), pane->view());

    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    p.panel->resize(250, 500);
    p.panel->move(work.left() + 20, work.top() + 20);
    ASSERT_TRUE(pane->view()->isBlank());
    bar->SetSelFolder(3);
    EXPECT_EQ(p.panel->frameGeometry().width(), 316);
    EXPECT_EQ(pane->rememberedWidth(), 250);
    EXPECT_FALSE(pane->widenedToLeft());
    // The fetched page is shown (a failed fetch leaves the pane blank).
    QTRY_VERIFY_WITH_TIMEOUT(!pane->view()->isBlank(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(pane->isVisible(), 2000); // once the folder buttons have slid
    EXPECT_EQ(pane->view()->base(), QUrl(site.server.url("/news.htm")));
    EXPECT_FALSE(pane->isFirstLoad());
    const QString shown = pane->view()->toPlainText();
    EXPECT_TRUE(shown.contains(u("蓝雀新闻")));
    EXPECT_FALSE(shown.contains(QStringLiteral("document.write"))) << "no scripts";

    // Links: a relative one resolves against the page and opens in the
    // browser; a local file opens nothing.
    emit pane->view()->anchorClicked(QUrl(QStringLiteral("more.htm")));
    emit pane->view()->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0], QUrl(site.server.url("/more.htm")));

    // Closing blanks the pane; showing the panel loads the summary again.
    p.panel->close();
    EXPECT_TRUE(pane->isFirstLoad());
    EXPECT_TRUE(pane->view()->isBlank());
    p.panel->ShowPanel();
    QTRY_VERIFY_WITH_TIMEOUT(!pane->view()->isBlank(), 10000);

    // Near the right edge the panel widens to the left.
    const CWebPaneDlg::Widening w = CWebPaneDlg::Widen(QRect(900, 0, 250, 500), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(w.toLeft);
    EXPECT_EQ(w.rect, QRect(834, 0, 316, 500));
    EXPECT_FALSE(CWebPaneDlg::Widen(QRect(0, 0, 316, 500), QRect(0, 0, 1024, 768)).widened);
}

TEST(WebPane, WithoutShowBbsBarThereIsNoFolder)
{
    Panel p;
    EXPECT_EQ(p.panel->webPaneFolder(), -1);
    EXPECT_EQ(p.panel->folderBar()->GetFolderCount(), 3);
    EXPECT_NE(p.panel->webPane(), nullptr);
}

TEST(WebPane, NoticePageTimerWritesTheWebAccessPage)
{
    Site site;
    Panel p(true, [&](CConfig &c) {
        c.ChatShowWeb = 1;
        c.AutoCheckVersion = 0;
        c.NoticePageURL1 = site.server.url("/notice.htm");
    });
    QSignalSpy ready(p.panel.get(), &CMainPanelDlg::webAccessPageReady);
    p.panel->InitPanel(false);
    EXPECT_FALSE(p.panel->versionCheck()->versionTimerActive());
    EXPECT_TRUE(p.panel->versionCheck()->noticeTimerActive());
    p.panel->versionCheck()->FetchNoticePage();
    ASSERT_TRUE(waitFor(ready));
    EXPECT_EQ(ready.first().at(0).toString(), GetWebAccessPagePath());
    EXPECT_EQ(TestEnv::readAll(GetWebAccessPagePath()), Gbk::encode(u("<p>公告</p>")));
}

TEST(HtmlPaneView, NothingActiveNothingFetched)
{
    const QString page = HtmlPaneView::StripActiveContent(
        QStringLiteral("<p>a</p><SCRIPT type=x>evil()</script><style>p{}</style><iframe src=x></iframe>"
                       "<link rel=stylesheet href=x><p>b</p><script>unclosed"));
    EXPECT_EQ(page, QStringLiteral("<p>a</p><p>b</p>"));
    const QUrl base(QStringLiteral("http://127.0.0.1/a/page.htm"));
    EXPECT_EQ(HtmlPaneView::LinkTarget(base, QUrl(QStringLiteral("../b.htm"))), QUrl(QStringLiteral("http://127.0.0.1/b.htm")));
    EXPECT_FALSE(HtmlPaneView::LinkTarget(base, QUrl(QStringLiteral("javascript:x()"))).isValid());
    EXPECT_FALSE(HtmlPaneView::LinkTarget(QUrl(), QUrl(QStringLiteral("b.htm"))).isValid());
    HtmlPaneView view;
    view.SetPage(QStringLiteral("<img src=\"http://127.0.0.1:1/x.png\"><p>t</p>"), base);
    EXPECT_EQ(view.toPlainText().trimmed().right(1), QStringLiteral("t"));
    view.SetPage(QString(HtmlPaneView::kMaxHtmlChars + 1, QLatin1Char('x')));
    EXPECT_TRUE(view.toPlainText().isEmpty()) << "too large: not shown";
}

} // namespace

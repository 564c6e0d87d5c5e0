#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "core/Gbk.h"
#include "net/VersionFetch.h"
#include "net/VersionPage.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkProxy>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {


QString u(const char *s) { return QString::fromUtf8(s); }

const QDateTime kProgramTime(QDate(2024, 3, 1), QTime(12, 0, 0));

// Waits until the fetch's workers have ended and delivers what they sent back.
bool settle(VersionFetch &fetch)
{
    const bool ended = QTest::qWaitFor([&] { return !fetch.isRunning(); }, 20000);
    QCoreApplication::sendPostedEvents(&fetch, QEvent::MetaCall);
    return ended;
}

// The marked upgrade text of a page, a release of `when`.
QString upgradeText(const char *when)
{
    return u("旧说明\r\n------------Upgrade Infomation------------\r\n说明行\r\n"
             "[Upgrade URL]http://127.0.0.1/kwel.tar.gz\r\n"
             "[datetime:")
        + QLatin1String(when) + u("]\r\n新增群聊天&amp;文件共享<br>\r\n\r\n修正 <a href=\"http://x\">托盘</a> 问题\r\n");
}

TEST(VersionPage, SectionsInGbkAndUtf8)
{
    const QString text = upgradeText("2024-5-1 8:00:00");
    const QByteArray gbkPage = "<html><body>[MYKWELGBTAGBEGIN]" + Gbk::encode(text) + "[MYKWELTAGEND]</body></html>";
    VersionPage::Section s = VersionPage::ExtractSection(gbkPage, true);
    ASSERT_EQ(s.status, VersionPage::Status::Ok);
    EXPECT_TRUE(Gbk::decode(s.gbk).contains(u("新增群聊天&文件共享\r\n"))) << "entities and breaks normalised";
    EXPECT_TRUE(Gbk::decode(s.gbk).contains(u("修正 托盘 问题"))) << "link tags dropped";

    // The editor's wrapped UTF-8 marker: converted to GBK.
    const QByteArray utfPage = "<p>[<FONT color=red>MYKWELUTFTAGBEGIN</FONT>]" + text.toUtf8() + "[MYKWELTAGEND]";
    const VersionPage::Section w = VersionPage::ExtractSection(utfPage, false);
    ASSERT_EQ(w.status, VersionPage::Status::Ok);
    EXPECT_EQ(w.gbk, Gbk::encode(text));

    // The GBK marker is looked for first, whatever comes first in the page.
    const QByteArray both = "[MYKWELUTFTAGBEGIN]utf[MYKWELTAGEND][MYKWELGBTAGBEGIN]gb[MYKWELTAGEND]";
    EXPECT_EQ(VersionPage::ExtractSection(both, false).gbk, QByteArray("gb"));

    EXPECT_EQ(VersionPage::ExtractSection("[MYKWELGBTAGBEGIN]no end", false).status, VersionPage::Status::NoEnd);
    EXPECT_EQ(VersionPage::ExtractSection("<html>nothing</html>", false).status, VersionPage::Status::NoMarker);
    EXPECT_EQ(VersionPage::ExtractSection("[MYKWELGBTAGBEGIN] \r\n[MYKWELTAGEND]", false).status,
        VersionPage::Status::Empty);
    EXPECT_EQ(VersionPage::ExtractSection(QByteArray(VersionPage::kMaxPageBytes + 1, 'x'), false).status,
        VersionPage::Status::TooLarge);
}

TEST(VersionPage, UpgradeTextNewerOrOlder)
{
    const QString normalized = Gbk::decode(
        VersionPage::ExtractSection(
            QByteArray("[MYKWELGBTAGBEGIN]" + Gbk::encode(upgradeText("2024-5-1 8:00:00")) + "[MYKWELTAGEND]"), true)
            .gbk);
    VersionPage::UpgradeInfo info = VersionPage::ParseUpgradeText(normalized, kProgramTime);
    EXPECT_TRUE(info.newer);
    EXPECT_EQ(info.downloadUrl, QStringLiteral("http://127.0.0.1/kwel.tar.gz"));
    EXPECT_EQ(info.items, u("1、新增群聊天&文件共享\r\n2、修正 托盘 问题\r\n")) << "numbered, blank lines left out";

    // An older first release time ends the reading: nothing newer.
    info = VersionPage::ParseUpgradeText(upgradeText("2023-12-31 23:59:59"), kProgramTime);
    EXPECT_FALSE(info.newer);
    EXPECT_TRUE(info.items.isEmpty());
    // Without the header line there is no information at all.
    EXPECT_FALSE(VersionPage::ParseUpgradeText(u("[Upgrade URL]x\r\n[datetime:2030-1-1 0:0:0]\r\n一"), kProgramTime).newer);
}

// The two fetches against a server on 127.0.0.1: the first address fails,
// the second has the page.
TEST(VersionFetch, UpgradeCheckAndNoticePageFromALocalServer)
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    const QByteArray notice = "<html>[MYKWELUTFTAGBEGIN]<b>" + u("通知").toUtf8() + "</b>[MYKWELTAGEND]</html>";
    LocalHttpServer server([&](const QByteArray &path) -> QByteArray {
        if (path == "/upgrade.htm")
            return LocalHttpServer::response(
                "200 OK", "[MYKWELGBTAGBEGIN]" + Gbk::encode(upgradeText("2024-5-1 8:00:00")) + "[MYKWELTAGEND]");
        if (path == "/old.htm")
            return LocalHttpServer::response(
                "200 OK", "[MYKWELGBTAGBEGIN]" + Gbk::encode(upgradeText("2020-1-1 0:00:00")) + "[MYKWELTAGEND]");
        if (path == "/notice.htm")
            return LocalHttpServer::response("200 OK", notice, "Content-Type: text/html; charset=utf-8\r\n");
        return LocalHttpServer::response("404 Not Found", "missing");
    });
    VersionFetch fetch;
    QSignalSpy newer(&fetch, &VersionFetch::newerVersionFound);
    fetch.StartUpgradeCheck({server.url("/missing.htm"), server.url("/upgrade.htm")}, kProgramTime);
    ASSERT_TRUE(settle(fetch));
    ASSERT_EQ(newer.size(), 1);
    EXPECT_EQ(newer.first().at(0).toString(), u("1、新增群聊天&文件共享\r\n2、修正 托盘 问题\r\n"));
    EXPECT_EQ(newer.first().at(1).toString(), QStringLiteral("http://127.0.0.1/kwel.tar.gz"));
    // The check's own cache files are gone afterwards.
    EXPECT_FALSE(QFile::exists(SiteCacheFolder() + QStringLiteral("/kweL_Upgrade.html")));
    EXPECT_FALSE(QFile::exists(SiteCacheFolder() + QStringLiteral("/kweL_Upgrade.txt")));

    fetch.StartUpgradeCheck({server.url("/old.htm")}, kProgramTime);
    ASSERT_TRUE(settle(fetch));
    EXPECT_EQ(newer.size(), 1) << "an older release says nothing";

    QSignalSpy ready(&fetch, &VersionFetch::noticePageReady);
    fetch.StartNoticePage({server.url("/notice.htm")});
    ASSERT_TRUE(settle(fetch));
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready.first().at(0).toString(), GetWebAccessPagePath());
    EXPECT_TRUE(GetWebAccessPagePath().startsWith(SiteCacheFolder()));
    EXPECT_EQ(TestEnv::readAll(GetWebAccessPagePath()), Gbk::encode(u("<b>通知</b>")));
    EXPECT_EQ(TestEnv::readAll(SiteCacheFolder() + QStringLiteral("/kwelaccessrst.txt")), notice);

    // A page without its end marker writes no web-access page.
    QFile::remove(GetWebAccessPagePath());
    fetch.StartNoticePage({server.url("/missing.htm"), QStringLiteral("file:///etc/passwd")});
    ASSERT_TRUE(settle(fetch));
    EXPECT_EQ(ready.size(), 1) << "a failed fetch announces no page";
    EXPECT_FALSE(QFile::exists(GetWebAccessPagePath()));
}

} // namespace

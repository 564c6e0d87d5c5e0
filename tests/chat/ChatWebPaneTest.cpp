#include "TestEnv.h"
#include "chat/ChatWebPane.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/VersionFetch.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

struct Fixture
{
    Fixture()
        : config(TestEnv::freshDir(QStringLiteral("webpane")) + QStringLiteral("/k.ini"))
    {
        config.ChatShowWeb = 1;
        QFile::remove(GetWebAccessPagePath());
    }
    void writePage(const char *html) { ASSERT_TRUE(TestEnv::writeAll(GetWebAccessPagePath(), Gbk::encode(u(html)))); }

    CConfig config;
    QWidget window;
};

TEST(ChatWebPane, ShowsTheLocalPageOnlyWhenOnAndThere)
{
    Fixture f;
    ChatWebPane pane(&f.config, &f.window);
    f.window.show();
    EXPECT_EQ(pane.objectName(), QStringLiteral("1150"));
    EXPECT_FALSE(pane.NavigateSidePane(GetWebAccessPagePath())) << "no page yet";
    EXPECT_FALSE(pane.isVisible());
    EXPECT_EQ(pane.pagePath(), GetWebAccessPagePath());

    f.writePage("<p>公告：<a href=\"http://127.0.0.1/x\">详情</a></p>");
    EXPECT_TRUE(pane.NavigateSidePane(GetWebAccessPagePath()));
    EXPECT_TRUE(pane.isVisible());
    EXPECT_TRUE(pane.toPlainText().contains(u("公告：详情")));

    f.config.ChatShowWeb = 0;
    EXPECT_FALSE(pane.NavigateSidePane(GetWebAccessPagePath())) << "the pane is switched off";
    EXPECT_FALSE(pane.isVisible());
    f.config.ChatShowWeb = 1;
    ASSERT_TRUE(TestEnv::writeAll(GetWebAccessPagePath(), QByteArray(ChatWebPane::kMaxPageBytes + 1, 'x')));
    EXPECT_FALSE(pane.NavigateSidePane(GetWebAccessPagePath())) << "too large";
}

TEST(ChatWebPane, RefreshAllReloadsThePanesOnThePage)
{
    Fixture f;
    ChatWebPane waiting(&f.config, &f.window);
    ChatWebPane elsewhere(&f.config, &f.window);
    ChatWebPane idle(&f.config, &f.window);
    waiting.NavigateToWebAccessPage(); // before the page arrived
    const QString other = TestEnv::freshDir(QStringLiteral("other")) + QStringLiteral("/p.htm");
    ASSERT_TRUE(TestEnv::writeAll(other, "<p>other</p>"));
    elsewhere.NavigateSidePane(other);
    f.writePage("<p>到了</p>");
    EXPECT_EQ(ChatWebPane::RefreshAll(GetWebAccessPagePath()), 1);
    EXPECT_TRUE(waiting.toPlainText().contains(u("到了")));
    EXPECT_TRUE(elsewhere.toPlainText().contains(QStringLiteral("other")));
    EXPECT_TRUE(idle.toPlainText().isEmpty());
}

} // namespace

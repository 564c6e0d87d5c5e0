#include "core/HtmlFile.h"
#include "core/Gbk.h"

#include "common/TestEnv.h"

#include <gtest/gtest.h>

namespace {

QByteArray gbk(const char *utf8)
{
    return Gbk::encode(QString::fromUtf8(utf8));
}

TEST(NormalizeHtml, LineBreaksLinksAndEntities)
{
    EXPECT_EQ(NormalizeHtml("a<br>b<BR/>c<br />d<br class=\"x\">e"), QByteArray("a\r\nb\r\nc\r\nd\r\ne"));
    // Link text stays, tags go; an empty link stands for its address.
    EXPECT_EQ(NormalizeHtml("[Upgrade URL]<a href=\"http://x/k.exe\" target=_blank>http://x/k.exe</a>"),
        QByteArray("[Upgrade URL]http://x/k.exe"));
    EXPECT_EQ(NormalizeHtml("<A HREF='http://x/?a=1&amp;b=2'> </A>!"), QByteArray("http://x/?a=1&b=2!"));
    EXPECT_EQ(NormalizeHtml("&lt;b&gt; &amp;amp; &quot;&apos;&nbsp;&#65;&#x42;"), QByteArray("<b> &amp; \"' AB"));
    EXPECT_EQ(NormalizeHtml("&#20013;&#x6587;&hellip;"), gbk("中文…"));
    // Unknown or broken markup stays as written; other tags are untouched.
    EXPECT_EQ(NormalizeHtml("&bogus; &#0; &#xD800; &#99999999; & x &amp <abbr> <b>t</b> <br"),
        QByteArray("&bogus; &#0; &#xD800; &#99999999; & x &amp <abbr> <b>t</b> <br"));
    // GBK trail bytes are never mistaken for markup and survive unchanged.
    const QByteArray text = gbk("升级信息<br>版本") + QByteArray("\x81\x7C\xFE\x40");
    EXPECT_EQ(NormalizeHtml(text), gbk("升级信息\r\n版本") + QByteArray("\x81\x7C\xFE\x40"));
}

TEST(SetHtmlBodyBackground, RewritesOrAddsBgcolor)
{
    // COLORREF 0x00BBGGRR is written #RRGGBB.
    EXPECT_EQ(SetHtmlBodyBackground("<html><BODY bgcolor=white text=black>x</body>", 0x00336699),
        QByteArray("<html><BODY bgcolor=\"#996633\" text=black>x</body>"));
    EXPECT_EQ(SetHtmlBodyBackground("<body style='a>b' BGCOLOR = \"#000000\">", 0x0000000A),
        QByteArray("<body style='a>b' bgcolor=\"#0A0000\">"));
    EXPECT_EQ(SetHtmlBodyBackground("<!-- <body> --><body>", 0x00FFFFFF),
        QByteArray("<!-- <body> --><body bgcolor=\"#FFFFFF\">"));
    EXPECT_FALSE(SetHtmlBodyBackground("<bodyx><p>no body</p>", 1));
    EXPECT_FALSE(SetHtmlBodyBackground("<body bgcolor=\"#", 1));
    EXPECT_FALSE(SetHtmlBodyBackground("<!-- <body>", 1));
}

TEST(HtmlFile, GbkFileRoundTrip)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("html"));
    const QString path = dir + QStringLiteral("/kweL_Upgrade.txt");
    ASSERT_TRUE(TestEnv::writeAll(path, gbk("新版本&nbsp;2.0<br>修正&lt;错误&gt;")));
    EXPECT_TRUE(NormalizeHtmlFile(path));
    EXPECT_EQ(TestEnv::readAll(path), gbk("新版本 2.0\r\n修正<错误>"));

    const QString page = dir + QStringLiteral("/access.html");
    ASSERT_TRUE(TestEnv::writeAll(page, gbk("<html><body>公告</body></html>")));
    EXPECT_TRUE(UpdateHtmlBackgroundColor(page, 0x00E8E8FF));
    EXPECT_EQ(TestEnv::readAll(page), gbk("<html><body bgcolor=\"#FFE8E8\">公告</body></html>"));
    // Same colour again: the page does not change, so the result is false.
    EXPECT_FALSE(UpdateHtmlBackgroundColor(page, 0x00E8E8FF));

    // Missing and oversized files are refused and left alone.
    EXPECT_FALSE(NormalizeHtmlFile(dir + QStringLiteral("/missing.html")));
    EXPECT_FALSE(UpdateHtmlBackgroundColor(dir + QStringLiteral("/missing.html"), 0));
    const QByteArray big = "<body>" + QByteArray(kMaxHtmlFileBytes, '&');
    ASSERT_TRUE(TestEnv::writeAll(page, big));
    EXPECT_FALSE(UpdateHtmlBackgroundColor(page, 0));
    EXPECT_FALSE(NormalizeHtmlFile(page));
    EXPECT_EQ(TestEnv::readAll(page), big);
}

} // namespace

#include "core/PeerKey.h"
#include "core/DateTimeText.h"
#include "core/PictureId.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString key(
    const char *style, const char *host, const char *login = "user", const char *mac = "", quint32 ip = 0xC0A80005)
{
    return MakePeerKey(ip, u(login), u(host), u(mac), u(style));
}

TEST(PeerKey, StableDocumentedRule)
{
    // Pinned values: stored keys must never change.
    EXPECT_EQ(key("123", "PC-01"), u("458367B05D90"));
    EXPECT_EQ(key("43", "财务室"), u("0C30FF7FEF65"));

    // The style says which texts count, not their order.
    EXPECT_EQ(key("43", "PC-01"), key("x3a44", "PC-01"));
    EXPECT_EQ(key("", "PC-01"), key("43", "PC-01"));
    // Only the picked texts matter.
    EXPECT_EQ(key("43", "PC-01", "alice"), key("43", "PC-01", "bob"));
    EXPECT_NE(key("423", "PC-01", "alice"), key("423", "PC-01", "bob"));
    EXPECT_NE(key("43", "PC-01"), key("3", "PC-01"));
    EXPECT_NE(key("1", "h", "u", "", 0xC0A80005), key("1", "h", "u", "", 0xC0A80006));
    // Fields are kept apart.
    EXPECT_NE(key("23", "c", "ab"), key("23", "bc", "a"));
}

TEST(PeerKey, MacAndEmptyTexts)
{
    EXPECT_EQ(key("4", "h", "u", "00-1a-2b-3c-4d-5e"), u("001A2B3C4D5E"));
    EXPECT_EQ(key("4", "h", "u", "00:1a:2b:3c:4d:5e"), u("001A2B3C4D5E"));
    // Not a MAC: hashed like any text.
    EXPECT_TRUE(QRegularExpression(u("^[0-9A-F]{12}$")).match(key("4", "h", "u", "00-1a-2b")).hasMatch());
    EXPECT_NE(key("43", "h", "u", "001A2B3C4D5E"), u("001A2B3C4D5E"));
    // Nothing picked is known: no key, so unrelated peers never share one.
    EXPECT_EQ(key("4", "h"), QString());
    EXPECT_EQ(key("1", "h", "u", "", 0), QString());
}

TEST(PictureIdAndDates, RandomIdsAndDateTimeText)
{
    QSet<quint32> seen;
    for (int i = 0; i < 2000; ++i) {
        const quint32 id = GenerateRandomId();
        EXPECT_GE(id, kFirstPictureId);
        seen.insert(id);
    }
    EXPECT_GT(seen.size(), 1990);

    EXPECT_EQ(ParseDateTimeText(u"2008-1-5 3:04:05"), QDateTime(QDate(2008, 1, 5), QTime(3, 4, 5)));
    EXPECT_EQ(ParseDateTimeText(u" 2009-06-01 23:59:59\r\n"), QDateTime(QDate(2009, 6, 1), QTime(23, 59, 59)));
    EXPECT_EQ(ParseDateTimeText(u"2009-06-01"), QDateTime(QDate(2009, 6, 1), QTime(0, 0)));
    EXPECT_FALSE(ParseDateTimeText(u"2009-02-30 00:00:00"));
    EXPECT_FALSE(ParseDateTimeText(u"2009-06-01 24:00:00"));
    EXPECT_FALSE(ParseDateTimeText(u"2009/06/01 12:00:00"));
    EXPECT_FALSE(ParseDateTimeText(u"2009-06-01 12:00:00 extra"));
}

} // namespace

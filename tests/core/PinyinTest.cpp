#include "core/Gbk.h"
#include "core/Pinyin.h"

#include <gtest/gtest.h>
#include <memory>
#include <unicode/translit.h>
#include <unicode/uscript.h>

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }
QString full(const char *utf8) { return ConvertToPinyin(u(utf8), PinyinMode::Syllables); }
QString initials(const char *utf8) { return ConvertToPinyin(u(utf8), PinyinMode::Initials); }

TEST(Pinyin, NamesBySyllablesAndInitials)
{
    EXPECT_EQ(full("张三"), u("zhangsan"));
    EXPECT_EQ(initials("张三"), u("zs"));
    EXPECT_EQ(full("王伟"), u("wangwei"));
    EXPECT_EQ(initials("王伟"), u("ww"));
    // Six-letter syllables stay whole.
    EXPECT_EQ(full("庄双窗"), u("zhuangshuangchuang"));
    EXPECT_EQ(initials("庄双窗"), u("zsc"));
    // Mixed Latin and Chinese: ASCII passes through as it is.
    EXPECT_EQ(full("Tom张-2"), u("Tomzhang-2"));
    EXPECT_EQ(initials("Tom张-2"), u("Tomz-2"));
    EXPECT_EQ(full("〇"), u("ling")); // an ideograph of GBK outside the unified block
}

TEST(Pinyin, SymbolRowsFoldToAscii)
{
    // Full-width ASCII, the numbered symbols and the Greek letters take their
    // ASCII forms in both modes.
    for (PinyinMode mode : { PinyinMode::Syllables, PinyinMode::Initials }) {
        EXPECT_EQ(ConvertToPinyin(u("ＡＢｃ１２３＠"), mode), u("ABc123@"));
        EXPECT_EQ(ConvertToPinyin(u("①⑵⒊Ⅻⅳ"), mode), u("12" "3xiiiv"));
        EXPECT_EQ(ConvertToPinyin(u("αβΘ"), mode), u("abth"));
    }
    EXPECT_EQ(full("￥"), u("$")); // GBK A3A4 is the row's '$'

}

TEST(Pinyin, CharactersWithoutFormGiveNothing)
{
    EXPECT_EQ(full("、。《》"), QString());
    EXPECT_EQ(full("兙"), QString()); // an ideograph without a reading
    EXPECT_EQ(full("a😀b"), u("ab"));
    EXPECT_EQ(full("\xef\xbf\xbd"), QString()); // a replacement character of a bad byte
    QString lone;
    lone.append(QChar(0xD800)).append(QLatin1Char('x'));
    EXPECT_EQ(ConvertToPinyin(lone, PinyinMode::Syllables), u("x"));
    EXPECT_TRUE(HasNonAscii(u("abc张")));
    EXPECT_FALSE(HasNonAscii(u("abc 10.0.0.1")));
}

// Every ideograph of GBK has the reading ICU gives it (one syllable), or none
// when ICU has none: the table and its look-up lose nothing.
TEST(Pinyin, TableAgreesWithIcuForEveryGbkIdeograph)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> icu(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    ASSERT_TRUE(U_SUCCESS(status));
    int ideographs = 0, withReading = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char bytes[2] = { char(lead), char(trail) };
            const QString c = Gbk::decode(QByteArrayView(bytes, 2));
            if (c.size() != 1 || c[0] == QChar(0xFFFD))
                continue;
            UErrorCode e = U_ZERO_ERROR;
            if (uscript_getScript(c[0].unicode(), &e) != USCRIPT_HAN)
                continue;
            ++ideographs;
            icu::UnicodeString text(UChar32(c[0].unicode()));
            icu->transliterate(text);
            std::string expected;
            text.toUTF8String(expected);
            if (expected.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
                expected.clear();
            withReading += expected.empty() ? 0 : 1;
            ASSERT_EQ(PinyinSyllable(c[0].unicode()).toStdString(), expected) << "GBK " << std::hex << lead << trail;
            ASSERT_EQ(ConvertToPinyin(c, PinyinMode::Initials), QString::fromStdString(expected.substr(0, 1)));
        }
    }
    EXPECT_GT(ideographs, 20900);
    EXPECT_GT(withReading, 20800);
}

} // namespace

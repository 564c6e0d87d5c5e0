#include "core/HexText.h"

#include <gtest/gtest.h>

namespace {

QByteArray b(const char *bytes, qsizetype n)
{
    return QByteArray(bytes, n);
}

TEST(HexText, BytesToHexBothDirections)
{
    EXPECT_EQ(BytesToHex(b("\x00\xab\xff\x10", 4)), QByteArray("00abff10"));
    EXPECT_EQ(BytesToHexReversed(b("\x00\xab\xff\x10", 4)), QByteArray("10ffab00"));
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    EXPECT_EQ(HexToBytes(BytesToHex(all), 1000), all);
    EXPECT_EQ(HexToBytesReversed(BytesToHexReversed(all), 1000), all);
}

TEST(HexText, HexToBytesLimitsOddAndInvalidDigits)
{
    EXPECT_EQ(HexToBytes("00ABff", 10), b("\x00\xab\xff", 3));
    EXPECT_EQ(HexToBytes("00ABff", 2), b("\x00\xab", 2));
    EXPECT_TRUE(HexToBytes("00ABff", 0).isEmpty());
    EXPECT_TRUE(HexToBytes("00ABff", -1).isEmpty());
    EXPECT_EQ(HexToBytes("abc", 10), b("\xab", 1)); // lone last digit ignored
    EXPECT_EQ(HexToBytes("ab zzcd", 10), b("\xab", 1)); // stops at a bad pair
    EXPECT_EQ(HexToBytes("a", 10), QByteArray());

    EXPECT_EQ(HexToBytesReversed("0102ab", 10), b("\xab\x02\x01", 3));
    EXPECT_EQ(HexToBytesReversed("0102ab", 1), b("\xab", 1));
    EXPECT_EQ(HexToBytesReversed("f0102", 10), b("\x02\x01", 2)); // lone first digit ignored
    EXPECT_EQ(HexToBytesReversed("zz0102", 10), b("\x02\x01", 2));
    EXPECT_EQ(HexToBytesReversed("a", 10), QByteArray());
}

TEST(HexText, HexToUInt64SkipsNonDigitsAndSaturates)
{
    EXPECT_EQ(HexToUInt64(QByteArrayView("1f")), 31u);
    EXPECT_EQ(HexToUInt64(QByteArrayView("0x1F")), 0x1Fu); // 'x' is skipped
    EXPECT_EQ(HexToUInt64(QByteArrayView("12 34\xc1\xa2")), 0x1234u);
    EXPECT_EQ(HexToUInt64(QByteArrayView("")), 0u);
    EXPECT_EQ(HexToUInt64(QByteArrayView("ffffffffffffffff")), UINT64_MAX);
    EXPECT_EQ(HexToUInt64(QByteArrayView("0000000000000000000000001")), 1u);
    EXPECT_EQ(HexToUInt64(QByteArrayView("10000000000000000")), UINT64_MAX);
    EXPECT_EQ(HexToUInt64(QStringView(u"大小:1A2b")), 0x1A2Bu);
    EXPECT_EQ(HexToUInt64(QStringView(u"100000000")), 0x100000000u);
}

} // namespace

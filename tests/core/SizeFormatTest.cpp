#include "core/SizeFormat.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

constexpr qint64 kMB = 1024 * 1024;
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

TEST(FormatFileSize, BoundariesAndFlags)
{
    // Kilobytes rounded up below 1 MB, then megabytes truncated to one decimal.
    const std::pair<qint64, const char *> plain[] = {
        { -5, "0KB" },
        { 0, "0KB" },
        { 1023, "1KB" },
        { 1024, "1KB" },
        { 1025, "2KB" },
        { kMB - 1, "1024KB" },
        { kMB, "1.0MB" },
        { kMB + kMB / 2, "1.5MB" },
        { 2 * kMB - 1, "1.9MB" },
        { 5LL * 1024 * kMB, "5120.0MB" },
        { kMax, "8796093022207.9MB" },
    };
    for (const auto &[bytes, text] : plain)
        EXPECT_EQ(FormatFileSize(bytes), u(text)) << bytes;
    EXPECT_EQ(FormatFileSize(1000, FileSizeBlankBeforeUnit), u("1 KB"));
    EXPECT_EQ(FormatFileSize(kMB + kMB / 2, FileSizeBlankBeforeUnit), u("1.5 MB"));
    EXPECT_EQ(FormatFileSize(kMB + kMB / 2, FileSizeWholeMegabytes), u("1MB"));
    EXPECT_EQ(FormatFileSize(3 * kMB, FileSizeBlankBeforeUnit | FileSizeWholeMegabytes), u("3 MB"));
}

TEST(FormatProgress, TransferAndFileCountTexts)
{
    EXPECT_EQ(FormatTransferProgress(1000, 512 * 1024, kMB), u("512/1.0MB 512KB/s(50%)"));
    EXPECT_EQ(FormatTransferProgress(2000, 3 * kMB, 4 * kMB), u("3.0/4.0MB 1.5MB/s(75%)"));
    // Elapsed 0 counts as 10 ms; a total of 0 as 1 byte; never past 100 %.
    EXPECT_EQ(FormatTransferProgress(0, 10 * 1024, 20 * 1024), u("10/20KB 1000KB/s(50%)"));
    EXPECT_EQ(FormatTransferProgress(1000, 0, 0), u("0/0KB 0KB/s(0%)"));
    EXPECT_EQ(FormatTransferProgress(1000, 2048, 0), u("2/0KB 2KB/s(100%)"));
    // Above 4 GB the percentage and the rate stay right.
    const qint64 big = 6LL * 1024 * kMB;
    EXPECT_EQ(FormatTransferProgress(3000, big / 2, big), u("3072.0/6144.0MB 1024.0MB/s(50%)"));
    EXPECT_TRUE(FormatTransferProgress(1, kMax, kMax).endsWith(u("/s(100%)")));

    EXPECT_EQ(FormatFileCountProgress(2000, 5 * kMB, 3), u("5.0MB/3文件(2.5MB/s)"));
    EXPECT_EQ(FormatFileCountProgress(0, 2048, 1), u("2KB/1文件(1.9MB/s)")); // elapsed 0 counts as 1 ms
    EXPECT_EQ(FormatFileCountProgress(-1, 0, 0), u("0KB/0文件(0KB/s)"));
}

} // namespace

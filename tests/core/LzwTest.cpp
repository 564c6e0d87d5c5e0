#include "core/Lzw.h"

#include <QtEndian>
#include <bit>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Packs codes the way docs/lzw-format.md describes, independently of the codec.
QByteArray packCodes(const std::vector<uint32_t> &codes, quint32 length, int maxWidth)
{
    QByteArray out("LZW!");
    out.resize(9);
    qToLittleEndian<quint32>(length, out.data() + 4);
    out[8] = char(maxWidth);
    uint64_t bits = 0;
    int count = 0;
    uint32_t index = 0;
    for (uint32_t code : codes) {
        const int width = std::min(maxWidth, std::max(9, int(std::bit_width(257u + index))));
        index = code == 256 ? 0 : index + 1;
        bits |= uint64_t(code) << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8)
            out.append(char(bits & 0xFF));
    }
    if (count > 0)
        out.append(char(bits & 0xFF));
    return out;
}

QByteArray randomBytes(qsizetype n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray b(n, '\0');
    for (auto &c : b)
        c = char(rng() & 0xFF);
    return b;
}

QByteArray roundTrip(const QByteArray &data, int width = kLzwDefaultCodeWidth)
{
    const QByteArray packed = LzwCompressGlobal(data, width);
    QByteArray out("sentinel");
    EXPECT_EQ(LzwDecompressGlobal(packed, out), LzwStatus::Ok);
    return out;
}

TEST(Lzw, RoundTrips)
{
    EXPECT_EQ(roundTrip(QByteArray()), QByteArray());
    EXPECT_EQ(roundTrip(QByteArray("x")), QByteArray("x"));
    const QByteArray repetitive = QByteArray("abcabcabd").repeated(20000) + QByteArray(100000, '\0');
    EXPECT_EQ(roundTrip(repetitive), repetitive);
    EXPECT_LT(LzwCompressGlobal(repetitive).size(), repetitive.size() / 20);
    const QByteArray random = randomBytes(100 * 1024, 1); // fills and clears the table many times
    EXPECT_EQ(roundTrip(random), random);
    for (int width = kLzwMinCodeWidth; width <= kLzwMaxCodeWidth; ++width)
        EXPECT_EQ(
            roundTrip(random.left(30000) + repetitive.left(30000), width), random.left(30000) + repetitive.left(30000))
            << width;
}

TEST(Lzw, ContainerLayoutIsTheDocumentedOne)
{
    const QByteArray packed = LzwCompressGlobal(QByteArray("ABABABA"));
    EXPECT_EQ(packed, packCodes({ 'A', 'B', 258, 260, 257 }, 7, 12));
    EXPECT_EQ(LzwCompressGlobal(QByteArray()), packCodes({ 257 }, 0, 12));
    // At 9 bits the table holds 254 entries: 255 codes fill it, a 256th needs a clear first.
    const std::vector<uint32_t> fill(255, 'a');
    std::vector<uint32_t> codes = fill;
    codes.push_back(257);
    QByteArray out;
    EXPECT_EQ(LzwDecompressGlobal(packCodes(codes, 255, 9), out), LzwStatus::Ok);
    codes.back() = 'a';
    codes.push_back(257);
    EXPECT_EQ(LzwDecompressGlobal(packCodes(codes, 256, 9), out), LzwStatus::BadCode);
    codes.insert(codes.end() - 2, 256);
    EXPECT_EQ(LzwDecompressGlobal(packCodes(codes, 256, 9), out), LzwStatus::Ok);
    EXPECT_EQ(out, QByteArray(256, 'a'));
}

TEST(Lzw, RefusesMalformedContainers)
{
    const QByteArray good = LzwCompressGlobal(QByteArray("hello hello hello"));
    QByteArray out;
    auto status = [&](const QByteArray &c, qsizetype max = kLzwMaxOriginalLength) {
        out = "x";
        const LzwStatus s = LzwDecompressGlobal(c, out, max);
        if (s != LzwStatus::Ok) {
            EXPECT_TRUE(out.isEmpty());
        }
        return s;
    };
    EXPECT_EQ(status(QByteArray("LZW?") + good.mid(4)), LzwStatus::BadMagic);
    EXPECT_EQ(status(good.left(8)), LzwStatus::BadMagic);
    for (char w : { '\x08', '\x11', '\xff' }) {
        QByteArray c = good;
        c[8] = w;
        EXPECT_EQ(status(c), LzwStatus::BadCodeWidth);
    }
    for (qsizetype n = 9; n < good.size(); ++n)
        EXPECT_EQ(status(good.left(n)), LzwStatus::Truncated) << n;
    EXPECT_EQ(status(good + '\0'), LzwStatus::TrailingData);
    EXPECT_EQ(status(packCodes({ 'a', 257 }, 1, 12).replace(11, 1, "\x82", 1)), LzwStatus::TrailingData);
    EXPECT_EQ(status(packCodes({ 'a', 300, 257 }, 3, 12)), LzwStatus::BadCode); // not yet defined
    EXPECT_EQ(status(packCodes({ 258, 257 }, 3, 12)), LzwStatus::BadCode); // no literal first
    EXPECT_EQ(status(packCodes({ 'a', 256, 258, 257 }, 3, 12)), LzwStatus::BadCode); // nor after a clear
    EXPECT_EQ(status(packCodes({ 'a', 258, 257 }, 3, 12)), LzwStatus::Ok); // the entry being defined
    EXPECT_EQ(out, QByteArray("aaa"));
}

TEST(Lzw, OutputBoundIsHonoured)
{
    const QByteArray zeros(1 << 20, '\0');
    const QByteArray packed = LzwCompressGlobal(zeros);
    QByteArray out;
    EXPECT_EQ(LzwDecompressGlobal(packed, out, 1000), LzwStatus::TooLarge);
    EXPECT_TRUE(out.isEmpty());
    // A container that lies about its length stops at the declared length.
    for (quint32 declared : { 0u, (1u << 20) - 1, (1u << 20) + 1 }) {
        QByteArray lying = packed;
        qToLittleEndian<quint32>(declared, lying.data() + 4);
        EXPECT_EQ(LzwDecompressGlobal(lying, out), LzwStatus::LengthMismatch) << declared;
    }
    QByteArray huge = packed;
    qToLittleEndian<quint32>(0xFFFFFFFF, huge.data() + 4);
    EXPECT_EQ(LzwDecompressGlobal(huge, out, qsizetype(1) << 40), LzwStatus::TooLarge);
}

} // namespace

#include "core/CBlowfish.h"

#include "core/BlowfishTables.h"

#include <climits>
#include <cstring>

namespace {

using Block = std::array<std::uint8_t, CBlowfish::BlockSize>;

Block loadBlock(const std::uint8_t *p)
{
    Block b;
    std::memcpy(b.data(), p, b.size());
    return b;
}

void xorInto(Block &a, const Block &b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] ^= b[i];
}

std::uint32_t readBigEndian(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void writeBigEndian(std::uint32_t v, std::uint8_t *p)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

// Length of the PKCS#5 padding at the end of a plain block, 0 when it is malformed.
int paddingLength(const Block &last)
{
    const int pad = last[CBlowfish::BlockSize - 1];
    if (pad < 1 || pad > CBlowfish::BlockSize)
        return 0;
    for (int i = CBlowfish::BlockSize - pad; i < CBlowfish::BlockSize; ++i) {
        if (last[std::size_t(i)] != pad)
            return 0;
    }
    return pad;
}

} // namespace

CBlowfish::CBlowfish(const void *key, int keyLength)
{
    if (key && keyLength >= MinKeyLength && keyLength <= MaxKeyLength)
        setKey(static_cast<const std::uint8_t *>(key), keyLength);
}

CBlowfish::CBlowfish(QByteArrayView key)
{
    if (key.size() >= MinKeyLength && key.size() <= MaxKeyLength)
        setKey(reinterpret_cast<const std::uint8_t *>(key.data()), int(key.size()));
}

void CBlowfish::setKey(const std::uint8_t *key, int keyLength)
{
    std::memcpy(m_p, BlowfishTables::InitialP, sizeof m_p);
    std::memcpy(m_s, BlowfishTables::InitialS, sizeof m_s);
    int k = 0;
    for (auto &p : m_p) {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = (word << 8) | key[k];
            k = (k + 1) % keyLength;
        }
        p ^= word;
    }
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    for (int i = 0; i < 18; i += 2) {
        encryptWords(left, right);
        m_p[i] = left;
        m_p[i + 1] = right;
    }
    for (auto &box : m_s) {
        for (int i = 0; i < 256; i += 2) {
            encryptWords(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
    m_valid = true;
}

std::uint32_t CBlowfish::f(std::uint32_t x) const
{
    return ((m_s[0][x >> 24] + m_s[1][(x >> 16) & 0xFF]) ^ m_s[2][(x >> 8) & 0xFF]) + m_s[3][x & 0xFF];
}

void CBlowfish::encryptWords(std::uint32_t &left, std::uint32_t &right) const
{
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (int i = 0; i < 16; i += 2) {
        l ^= m_p[i];
        r ^= f(l);
        r ^= m_p[i + 1];
        l ^= f(r);
    }
    left = r ^ m_p[17];
    right = l ^ m_p[16];
}

void CBlowfish::decryptWords(std::uint32_t &left, std::uint32_t &right) const
{
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (int i = 17; i > 1; i -= 2) {
        l ^= m_p[i];
        r ^= f(l);
        r ^= m_p[i - 1];
        l ^= f(r);
    }
    left = r ^ m_p[0];
    right = l ^ m_p[1];
}

CBlowfish::Block CBlowfish::transformBlock(const Block &in, WordOp op) const
{
    std::uint32_t l = readBigEndian(in.data());
    std::uint32_t r = readBigEndian(in.data() + 4);
    (this->*op)(l, r);
    Block out;
    writeBigEndian(l, out.data());
    writeBigEndian(r, out.data() + 4);
    return out;
}

bool CBlowfish::validMode(std::uint32_t mode)
{
    if (mode & ~(BF_ECB | BF_CBC | BF_PKCS5))
        return false;
    return (mode & (BF_ECB | BF_CBC)) != (BF_ECB | BF_CBC);
}

int CBlowfish::CipherLength(int length, std::uint32_t mode)
{
    if (!validMode(mode) || length < 0 || length > INT_MAX - 2 * BlockSize)
        return -1;
    if (mode & BF_PKCS5)
        return (length / BlockSize + 1) * BlockSize;
    return length % BlockSize == 0 ? length : -1;
}

int CBlowfish::Encrypt(const void *input, void *output, int length, std::uint32_t mode, int outputSize) const
{
    const int cipherLength = CipherLength(length, mode);
    if (!m_valid || cipherLength < 0 || cipherLength > outputSize || (length > 0 && !input) || !output)
        return -1;
    const auto *in = static_cast<const std::uint8_t *>(input);
    auto *out = static_cast<std::uint8_t *>(output);
    const bool cbc = mode & BF_CBC;
    Block chain {};
    for (int pos = 0; pos < cipherLength; pos += BlockSize) {
        Block block;
        if (pos + BlockSize <= length) {
            block = loadBlock(in + pos);
        } else {
            // The last, padded block: the remaining plain bytes, then the pad.
            const int rest = length - pos;
            block.fill(std::uint8_t(BlockSize - rest));
            if (rest > 0)
                std::memcpy(block.data(), in + pos, std::size_t(rest));
        }
        if (cbc)
            xorInto(block, chain);
        chain = transformBlock(block, &CBlowfish::encryptWords);
        std::memcpy(out + pos, chain.data(), chain.size());
    }
    return cipherLength;
}

int CBlowfish::Decrypt(const void *input, void *output, int length, std::uint32_t mode, int outputSize) const
{
    if (!m_valid || !validMode(mode) || length < 0 || length % BlockSize != 0 || (length > 0 && !input) || !output)
        return -1;
    const bool padded = mode & BF_PKCS5;
    if (length == 0)
        return padded ? -1 : 0;
    const auto *in = static_cast<const std::uint8_t *>(input);
    auto *out = static_cast<std::uint8_t *>(output);
    const bool cbc = mode & BF_CBC;

    // The last block first, so that a bad padding or a short output is refused
    // before anything is written (input and output may be the same buffer).
    const int lastPos = length - BlockSize;
    Block last = transformBlock(loadBlock(in + lastPos), &CBlowfish::decryptWords);
    if (cbc && lastPos > 0)
        xorInto(last, loadBlock(in + lastPos - BlockSize));
    int lastBytes = BlockSize;
    if (padded) {
        const int pad = paddingLength(last);
        if (pad == 0)
            return -1;
        lastBytes -= pad;
    }
    const int plainLength = lastPos + lastBytes;
    if (plainLength > outputSize)
        return -1;

    Block chain {};
    for (int pos = 0; pos < lastPos; pos += BlockSize) {
        const Block cipher = loadBlock(in + pos);
        Block plain = transformBlock(cipher, &CBlowfish::decryptWords);
        if (cbc)
            xorInto(plain, chain);
        chain = cipher;
        std::memcpy(out + pos, plain.data(), plain.size());
    }
    if (lastBytes > 0)
        std::memcpy(out + lastPos, last.data(), std::size_t(lastBytes));
    return plainLength;
}

std::optional<QByteArray> CBlowfish::encrypt(QByteArrayView plain, std::uint32_t mode) const
{
    if (plain.size() > INT_MAX - 2 * BlockSize)
        return std::nullopt;
    const int cipherLength = CipherLength(int(plain.size()), mode);
    if (!m_valid || cipherLength < 0)
        return std::nullopt;
    QByteArray out(cipherLength, Qt::Uninitialized);
    if (Encrypt(plain.data(), out.data(), int(plain.size()), mode, cipherLength) != cipherLength)
        return std::nullopt;
    return out;
}

std::optional<QByteArray> CBlowfish::decrypt(QByteArrayView cipher, std::uint32_t mode) const
{
    if (cipher.size() > INT_MAX)
        return std::nullopt;
    QByteArray out(cipher.size(), Qt::Uninitialized);
    const int plainLength = Decrypt(cipher.data(), out.data(), int(cipher.size()), mode, int(out.size()));
    if (plainLength < 0)
        return std::nullopt;
    out.truncate(plainLength);
    return out;
}

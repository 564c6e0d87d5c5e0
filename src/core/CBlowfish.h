// Blowfish (Schneier, 1993): the cipher of encrypted chat messages, which use a
// fresh 16-byte key per message in CBC mode with padding (mode bits 0x22).
//
// Blocks are read big-endian, as every published Blowfish vector does it. CBC
// starts from an all-zero IV. Padding is PKCS#5: 1..8 bytes, each holding the
// pad length, so a whole block is added when the length is already a multiple
// of 8. Without the padding bit the length must be a multiple of 8.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <optional>

class CBlowfish
{
public:
    // Mode bits of Encrypt and Decrypt. ECB is the default when BF_CBC is absent.
    static constexpr std::uint32_t BF_ECB = 0x01;
    static constexpr std::uint32_t BF_CBC = 0x02;
    static constexpr std::uint32_t BF_PKCS5 = 0x20;
    static constexpr std::uint32_t ChatMode = BF_CBC | BF_PKCS5;

    static constexpr int BlockSize = 8;
    static constexpr int MinKeyLength = 4;
    static constexpr int MaxKeyLength = 56;
    static constexpr int ChatKeyLength = 16;

    // A key outside MinKeyLength..MaxKeyLength makes an invalid cipher whose
    // every operation fails.
    CBlowfish(const void *key, int keyLength);
    explicit CBlowfish(QByteArrayView key);

    bool IsValid() const { return m_valid; }

    // Cipher length for a plain length in the mode; -1 when the mode or the
    // length cannot be encrypted (unknown bits, or no padding and a partial block).
    static int CipherLength(int length, std::uint32_t mode);

    // Encrypts length bytes into output, which holds outputSize bytes; input and
    // output may be the same buffer. Returns the cipher length, or -1 (nothing
    // written) for an invalid key, mode or length or a too small output.
    int Encrypt(const void *input, void *output, int length, std::uint32_t mode, int outputSize) const;
    // Decrypts length bytes (a multiple of 8) into output, which holds outputSize
    // bytes; input and output may be the same buffer. Returns the plain length,
    // or -1 (nothing written) for an invalid key, mode, length, padding or a
    // too small output.
    int Decrypt(const void *input, void *output, int length, std::uint32_t mode, int outputSize) const;

    std::optional<QByteArray> encrypt(QByteArrayView plain, std::uint32_t mode = ChatMode) const;
    std::optional<QByteArray> decrypt(QByteArrayView cipher, std::uint32_t mode = ChatMode) const;

private:
    using Block = std::array<std::uint8_t, BlockSize>;

    void setKey(const std::uint8_t *key, int keyLength);
    std::uint32_t f(std::uint32_t x) const;
    void encryptWords(std::uint32_t &left, std::uint32_t &right) const;
    void decryptWords(std::uint32_t &left, std::uint32_t &right) const;
    using WordOp = void (CBlowfish::*)(std::uint32_t &, std::uint32_t &) const;
    Block transformBlock(const Block &in, WordOp op) const;
    static bool validMode(std::uint32_t mode);

    std::uint32_t m_p[18] = {};
    std::uint32_t m_s[4][256] = {};
    bool m_valid = false;
};

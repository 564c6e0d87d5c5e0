// Decrypts arbitrary bytes with a fixed key in every mode: whatever the input,
// decryption stays inside its buffers, and what decrypts re-encrypts to the
// same bytes.
#include "core/CBlowfish.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const CBlowfish bf(QByteArray::fromHex("00112233445566778899aabbccddeeff"));
    if (size > 1 << 16)
        return 0;
    const int length = int(size);
    const std::uint32_t modes[] = { CBlowfish::ChatMode, CBlowfish::BF_CBC, CBlowfish::BF_ECB,
        CBlowfish::BF_ECB | CBlowfish::BF_PKCS5, 0x03, 0x40 };
    for (std::uint32_t mode : modes) {
        // Into a buffer of exactly the input's size, then into one half as large.
        std::vector<std::uint8_t> out(size);
        const int plain = bf.Decrypt(data, out.data(), length, mode, length);
        check(plain <= length);
        std::vector<std::uint8_t> half(size / 2);
        const int halfPlain = bf.Decrypt(data, half.data(), length, mode, int(half.size()));
        check(halfPlain == (plain <= int(half.size()) ? plain : -1));
        if (plain < 0)
            continue;
        check(halfPlain < 0 || std::memcmp(half.data(), out.data(), std::size_t(halfPlain)) == 0);
        // In place gives the same plain text.
        std::vector<std::uint8_t> inPlace(data, data + size);
        check(bf.Decrypt(inPlace.data(), inPlace.data(), length, mode, length) == plain);
        check(std::memcmp(inPlace.data(), out.data(), std::size_t(plain)) == 0);
        // And encrypting it again restores the input.
        std::vector<std::uint8_t> again(size + CBlowfish::BlockSize);
        check(bf.Encrypt(out.data(), again.data(), plain, mode, int(again.size())) == length);
        check(std::memcmp(again.data(), data, size) == 0);
    }
    const auto text = bf.decrypt(QByteArrayView(data, qsizetype(size)));
    if (text)
        check(bf.encrypt(*text) == QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

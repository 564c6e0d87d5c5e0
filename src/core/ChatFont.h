// The chat font: a LOGFONTA-shaped description plus the text colour, as the
// chat windows, the configuration and the chat log carry it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

struct ChatFont
{
    // Size of the face-name field of the block, terminator included.
    static constexpr int FaceNameBytes = 32;
    // LOGFONTA (60 bytes) followed by the 32-bit COLORREF.
    static constexpr int BlockBytes = 64;

    int32_t height = -14;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 500;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 134;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 16;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0x20;
    QString faceName = QStringLiteral("宋体");
    uint32_t color = 0; // COLORREF 0x00BBGGRR

    // The standard chat font: "宋体", height -14, weight 500, character set 134.
    static ChatFont standard() { return ChatFont(); }

    // The 64-byte block: the LOGFONTA fields little-endian, the face name in
    // GBK cut on a character boundary to 31 bytes and NUL-padded, the colour.
    QByteArray toBytes() const;
    // Reads a block written by toBytes() (or by a Windows peer); nothing when
    // the block is not exactly 64 bytes long.
    static std::optional<ChatFont> fromBytes(QByteArrayView block);

    // Equal in every LOGFONT field, and in the colour when compareColor is set.
    bool sameFont(const ChatFont &other, bool compareColor) const;
    bool operator==(const ChatFont &other) const { return sameFont(other, true); }
};

// True when two fonts agree in every LOGFONT field, and in the colour when asked.
inline bool IsSameChatFont(const ChatFont &a, const ChatFont &b, bool compareColor)
{
    return a.sameFont(b, compareColor);
}

// The 64-byte font block of the chat log: a Windows LOGFONTA (60 bytes) and a
// COLORREF, little-endian, the face name GBK and NUL-padded. Kept apart from
// the configuration's chat font so that the file layout lives in one place.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

struct ChatLogFont
{
    static constexpr qsizetype kBlockBytes = 64;
    static constexpr qsizetype kLogFontBytes = 60;
    static constexpr qsizetype kFaceBytes = 32; // with its NUL: at most 31 GBK bytes

    qint32 height = -14;
    qint32 width = 0;
    qint32 escapement = 0;
    qint32 orientation = 0;
    qint32 weight = 500;
    quint8 italic = 0;
    quint8 underline = 0;
    quint8 strikeOut = 0;
    quint8 charSet = 134; // GB2312_CHARSET
    quint8 outPrecision = 0;
    quint8 clipPrecision = 0;
    quint8 quality = 0;
    quint8 pitchAndFamily = 0;
    QString faceName = QStringLiteral("宋体");
    quint32 colour = 0; // COLORREF 0x00BBGGRR

    // "宋体", height -14, weight 500, character set 134, colour 0.
    static ChatLogFont defaultFont() { return {}; }

    QByteArray toBlock() const;
    // None unless exactly kBlockBytes bytes are given.
    static std::optional<ChatLogFont> fromBlock(QByteArrayView block);

    // Every LOGFONT field equal (the face name as its GBK field bytes); the
    // colour is not compared.
    bool sameLogFont(const ChatLogFont &other) const;
    bool operator==(const ChatLogFont &other) const = default;
};

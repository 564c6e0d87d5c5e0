// Colours as the configuration stores them: COLORREF words 0x00BBGGRR.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor ColorFromRef(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

inline uint32_t RefFromColor(const QColor &color)
{
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

// RGB(r, g, b) of the Windows sources, as a colour.
constexpr uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16);
}

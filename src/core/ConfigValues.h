// The table of CConfig's single values: stored name, section, member,
// default and load-time limits. One table drives defaults, loading and saving.
#pragma once

#include "core/CConfig.h"

#include <span>

namespace ConfigValues {

// A number outside [min, max] is loaded as the default.
struct Int
{
    const char *name;
    uint32_t section;
    int CConfig::*member;
    int def;
    int min;
    int max;
};

// Unsigned 32-bit words: status bits and colours (COLORREF, at most 0xFFFFFF).
struct Word
{
    const char *name;
    uint32_t section;
    uint32_t CConfig::*member;
    uint32_t def;
    uint32_t max;
};

enum class TextKind {
    Text, // cut on a character boundary to fieldBytes - 1 GBK bytes
    Path, // a path that does not fit fieldBytes - 1 bytes is dropped (default)
    Entries, // "||"-joined entries: whole trailing entries are dropped to fit
    Address, // an IPv4 multicast address in 224.0.1.0..238.255.255.255, else the default
};

struct Text
{
    const char *name;
    uint32_t section;
    QString CConfig::*member;
    const char *def; // UTF-8
    int fieldBytes; // terminator included
    TextKind kind;
};

std::span<const Int> ints();
std::span<const Word> words();
std::span<const Text> texts();

// Dotted IPv4 text <-> address in host order.
std::optional<uint32_t> ParseIPv4(QStringView text);
QString FormatIPv4(uint32_t address);

// The text as it is kept: cut, dropped or checked by the kind's rule.
QString fitText(const Text &t, const QString &value);

} // namespace ConfigValues

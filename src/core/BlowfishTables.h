// Blowfish's initial P-array and S-boxes (generated, see BlowfishTables.cpp).
#pragma once

#include <cstdint>

namespace BlowfishTables {

extern const std::uint32_t InitialP[18];
extern const std::uint32_t InitialS[4][256];

} // namespace BlowfishTables

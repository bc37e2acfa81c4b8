// The full scale that trackplot's pairs run over, and its cells on a screen.
#pragma once

#include <cstdint>

// Samples run over a full scale of this many steps on both axes. A screen of more rows or columns
// than this would place no sample on that axis, so it is the largest size either program takes.
inline constexpr std::int32_t full_scale = 4096;

// Sample units per cell for a screen dimension of the given number of cells.
std::int32_t scale_for(std::int32_t cells);

// What trackplot and onscale hold to alike: the full scale and its cells, and how text from
// outside the program is shown in a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Samples run over a full scale of this many steps on both axes.
inline constexpr std::int32_t full_scale = 4096;

// Sample units per cell for a screen dimension of the given number of cells.
std::int32_t scale_for(std::int32_t cells);

// Bytes of an offending token that a message shows before cutting it.
inline constexpr std::size_t token_shown = 32;

constexpr bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// Writes n bytes that came from outside the program as messages show them: printable ASCII, and
// printable characters where the locale is UTF-8, as they are; any other byte, a control character,
// a Unicode format character such as a direction override, or a byte of no valid character, as
// \xNN, so that none of it can drive the terminal the message lands on.
void write_shown(FILE *out, const char *text, std::size_t n);

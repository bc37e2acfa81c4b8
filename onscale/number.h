// Numbers as files write them: with a decimal dot and commas between the thousands (1,234.5), or
// with a decimal comma and dots, blanks or no-break spaces between them (1.234,5).
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

// What a field that holds no number, or no time, reads as.
inline constexpr double no_value = std::numeric_limits<double>::quiet_NaN();

// The radix character, which stands between a number's whole part and its fraction.
enum radix : std::uint8_t { radix_dot, radix_comma };

// The radix that a file separated by the separator writes where none of its numbers tells which.
inline radix default_radix(char separator) {
  return separator == ';' ? radix_comma : radix_dot;
}

// A field read as a number with each radix: NaN where it is not one that way.
struct reading {
  double as[2];
};

// Reads the field as a number, in one pass: a sign, digits with the thousands in groups of three,
// a fraction and an exponent. With radix -1 it is read with both; otherwise with that one, and NaN
// the other way. Infinity where it is too large.
reading read_number(std::string_view field, int radix_given);

// The same reading, byte by byte, without the shortcut read_number takes for the commonest numbers.
reading read_number_in_full(std::string_view field, int radix_given);

// The radix with which alone the reading is a number, or -1.
inline int radix_told(const reading &r) {
  const bool dot = r.as[radix_dot] == r.as[radix_dot];
  const bool comma = r.as[radix_comma] == r.as[radix_comma];
  return dot == comma ? -1 : dot ? radix_dot : radix_comma;
}

// Numbers as files write them: with a decimal dot and commas between the thousands (1,234.5), or
// with a decimal comma and dots, blanks or no-break spaces between them (1.234,5).
#pragma once

#include <cstdint>
#include <string_view>

enum decimal_mark : std::uint8_t { dot_mark, comma_mark };

// The mark that a file separated by the separator writes where none of its numbers shows which.
inline decimal_mark default_mark(char separator) {
  return separator == ';' ? comma_mark : dot_mark;
}

// A field read as a number with each decimal mark: NaN where it is not one that way.
struct reading {
  double as[2];
};

// Reads the field as a number, in one pass: a sign, digits with the thousands in groups of three,
// a fraction and an exponent. With mark -1 it is read with both marks; otherwise with that one,
// and NaN the other way. Infinity where it is too large.
reading read_number(std::string_view field, int mark);

// The mark with which alone the reading is a number, or -1.
inline int mark_shown(const reading &r) {
  const bool dot = r.as[dot_mark] == r.as[dot_mark];
  const bool comma = r.as[comma_mark] == r.as[comma_mark];
  return dot == comma ? -1 : dot ? dot_mark : comma_mark;
}

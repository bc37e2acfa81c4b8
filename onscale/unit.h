// Units written with numbers, as spreadsheets format cells as currency or percent and sensors
// write their readings: a currency sign or code before the number, or any unit of letters and
// signs after it, with a blank between them or not: $1,234.50, EUR 5, 1.234,56 €, 12%, 60ms,
// 21.5 °C.
#pragma once

#include <cstddef>
#include <string_view>

// A unit is no longer than this.
inline constexpr std::size_t longest_unit = 16;

struct unit_split {
  std::string_view number; // the field without its unit
  std::string_view unit;   // the unit, empty where it has none
  bool before;             // written before the number
  bool spaced;             // with a blank between them
  bool negative;           // a minus sign before a unit written first, as in -$5
};

// Splits the field into its number and its unit; a field that holds no digits, or a unit on both
// sides, has none.
unit_split split_unit(std::string_view field);

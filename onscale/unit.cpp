#include "unit.h"

#include "text.h"

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Whether the byte may stand in a unit: any but a digit, a blank, a sign or what stands between
// the digits of a number.
bool in_unit(char c) {
  return !is_digit(c) && !is_blank(c) && c != '+' && c != '-' && c != '.' && c != ',';
}

bool is_upper(char c) {
  return c >= 'A' && c <= 'Z';
}

// Whether a unit before the number is a currency's: a sign, $ or one beyond ASCII, or a code of
// three capitals; any other word before a number, x1 or Q1, is no unit.
bool is_currency(std::string_view unit) {
  if (unit == "$" || static_cast<unsigned char>(unit[0]) >= 0x80)
    return true;
  return unit.size() == 3 && is_upper(unit[0]) && is_upper(unit[1]) && is_upper(unit[2]);
}

} // namespace

unit_split split_unit(std::string_view field) {
  const unit_split none{field, {}, false, false, false};
  std::size_t from = 0;
  const bool negative = field.size() > 1 && field[0] == '-' && in_unit(field[1]);
  from += negative ? 1 : 0;
  std::size_t prefix = from;
  while (prefix < field.size() && in_unit(field[prefix]))
    ++prefix;
  std::size_t to = field.size();
  while (to > prefix && in_unit(field[to - 1]))
    --to;
  const std::string_view before = field.substr(from, prefix - from);
  const std::string_view after = field.substr(to);
  if (before.empty() == after.empty() || before.size() + after.size() > longest_unit)
    return none;
  std::size_t start = prefix;
  while (start < to && is_blank(field[start]))
    ++start;
  std::size_t end = to;
  while (end > start && is_blank(field[end - 1]))
    --end;
  const std::string_view number = field.substr(start, end - start);
  bool digits = false;
  for (const char c : number)
    digits = digits || is_digit(c);
  // An e right after the digits starts an exponent, not a unit.
  if (!digits || (!before.empty() && !is_currency(before)) ||
      (!after.empty() && end == to && (after[0] == 'e' || after[0] == 'E')))
    return none;
  return {number, before.empty() ? after : before, !before.empty(), start > prefix || end < to,
          negative};
}

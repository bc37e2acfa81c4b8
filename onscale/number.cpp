#include "number.h"

#include "text.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A number longer than this, in digits and separators, is no number a file holds.
constexpr std::size_t longest_number = 400;

constexpr std::size_t no_point = std::numeric_limits<std::size_t>::max();

// How one radix reads the number so far.
struct way {
  bool valid;
  int group;         // digits since the latest thousands separator, -1 before the first
  std::size_t point; // digits before the radix, once it has come
};

// Whether so many digits, the first of them first, make the first group of the thousands: one to
// three of them, and no lone 0.
constexpr bool first_group(std::size_t digits, char first) {
  return digits >= 1 && digits <= 3 && first != '0';
}

// The length of the bytes at p that may stand between the digits of a number: a dot, a comma, a
// blank, a no-break space or a narrow no-break space; 0 for any other byte.
std::size_t separator_at(const char *p, const char *end) {
  if (*p == '.' || *p == ',' || *p == ' ')
    return 1;
  if (end - p >= 2 && std::memcmp(p, "\xc2\xa0", 2) == 0)
    return 2;
  return end - p >= 3 && std::memcmp(p, "\xe2\x80\xaf", 3) == 0 ? 3 : 0;
}

// Ends the whole part: the thousands, once separated, end in a group of three.
void end_whole_part(way *w) {
  if (w->point == no_point && w->group >= 0 && w->group != 3)
    w->valid = false;
}

// Reads the separator c that follows so many digits, the first of them first, the way the radix r
// reads the number: as the radix, once, or as a thousands separator of the whole part.
void read_separator(way *w, radix r, char c, std::size_t digits, char first) {
  if (!w->valid)
    return;
  if (w->point != no_point) {
    w->valid = false;
    return;
  }
  if (c == (r == radix_dot ? '.' : ',')) {
    end_whole_part(w);
    w->point = digits;
    return;
  }
  // A comma separates the thousands with a decimal dot; with a decimal comma, a dot or a blank of
  // any kind does.
  const bool thousands = r == radix_dot ? c == ',' : c != ',';
  if (!thousands || (w->group < 0 ? !first_group(digits, first) : w->group != 3))
    w->valid = false;
  w->group = 0;
}

// Where an exponent that starts at p ends: a letter e, a sign and digits, which stand after the
// digits whatever the radix; p itself where none starts there.
const char *exponent_end(const char *p, const char *end) {
  if (p == end || (*p != 'e' && *p != 'E'))
    return p;
  const char *q = p + 1;
  if (q < end && (*q == '-' || *q == '+'))
    ++q;
  const char *const digits = q;
  while (q < end && is_digit(*q))
    ++q;
  return q == digits ? p : q;
}

// The value of the digits with the decimal point where the way put it, and the exponent.
double value_of(const way &w, bool negative, const char *digits, std::size_t n,
                std::string_view exponent) {
  if (!w.valid)
    return no_value;
  char text[longest_number + 8];
  std::size_t len = 0;
  if (negative)
    text[len++] = '-';
  const std::size_t point = w.point == no_point ? n : w.point;
  std::memcpy(text + len, digits, point);
  len += point;
  if (point < n) {
    text[len++] = '.';
    std::memcpy(text + len, digits + point, n - point);
    len += n - point;
  }
  len += exponent.copy(text + len, exponent.size());
  double value = 0;
  if (std::from_chars(text, text + len, value).ec == std::errc())
    return value;
  // Out of range: too large, or so small that it is 0 as far as a plot goes.
  text[len] = '\0';
  return std::strtod(text, nullptr);
}

// Powers of ten that a double holds exactly.
constexpr double exact_powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The commonest numbers, a sign, at most 15 digits and at most one dot or comma between them, read
// at once: where both the digits and the power of ten are exact doubles, their quotient is the
// double nearest the number, as from_chars gives it. False for any other field.
bool read_plain_number(std::string_view field, int radix_given, reading *r) {
  const char *p = field.data();
  const char *const end = p + field.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+'))
    ++p;
  const char *const first = p;
  std::uint64_t digits = 0;
  const char *separator = nullptr;
  for (; p < end; ++p) {
    if (is_digit(*p))
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    else if ((*p == '.' || *p == ',') && separator == nullptr && p > first && p + 1 < end)
      separator = p;
    else
      return false;
  }
  const std::size_t count = static_cast<std::size_t>(end - first) - (separator != nullptr ? 1 : 0);
  if (count == 0 || count > 15)
    return false;
  const double whole = negative ? -static_cast<double>(digits) : static_cast<double>(digits);
  if (separator == nullptr) {
    *r = {{radix_given != radix_comma ? whole : no_value,
           radix_given != radix_dot ? whole : no_value}};
    return true;
  }
  // Read as the radix, the separator puts the digits after it in the fraction; read as a thousands
  // separator, it stands before three digits, after the first group.
  const auto after = static_cast<std::size_t>(end - separator - 1);
  const auto before = static_cast<std::size_t>(separator - first);
  const double fraction = whole / exact_powers[after];
  const double thousands = after == 3 && first_group(before, *first) ? whole : no_value;
  const bool dot = *separator == '.';
  *r = {{dot ? fraction : thousands, dot ? thousands : fraction}};
  if (radix_given >= 0)
    r->as[1 - radix_given] = no_value;
  return true;
}

} // namespace

reading read_number(std::string_view field, int radix_given) {
  reading plain{};
  if (read_plain_number(field, radix_given, &plain))
    return plain;
  return read_number_in_full(field, radix_given);
}

reading read_number_in_full(std::string_view field, int radix_given) {
  const char *p = field.data();
  const char *const end = p + field.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+'))
    ++p;
  way ways[2] = {{radix_given != radix_comma, -1, no_point},
                 {radix_given != radix_dot, -1, no_point}};
  char digits[longest_number];
  std::size_t n = 0;
  const char first = p < end ? *p : '\0';
  for (; p < end && n < longest_number; ++p) {
    if (is_digit(*p)) {
      digits[n++] = *p;
      for (way &w : ways)
        w.group += w.point == no_point && w.group >= 0 ? 1 : 0;
      continue;
    }
    const std::size_t len = separator_at(p, end);
    if (len == 0)
      break;
    read_separator(&ways[radix_dot], radix_dot, *p, n, first);
    read_separator(&ways[radix_comma], radix_comma, *p, n, first);
    p += len - 1;
  }
  for (way &w : ways)
    end_whole_part(&w);
  const char *const exponent = p;
  if (exponent_end(p, end) != end || n == 0)
    return {{no_value, no_value}};
  const std::string_view e(exponent, static_cast<std::size_t>(end - exponent));
  return {{value_of(ways[radix_dot], negative, digits, n, e),
           value_of(ways[radix_comma], negative, digits, n, e)}};
}

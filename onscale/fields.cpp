#include "onscale.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace {

constexpr double no_number = std::numeric_limits<double>::quiet_NaN();

// A number longer than this, in digits and marks, is no number a file holds.
constexpr std::size_t longest_number = 400;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Writes what is pending, then reads what the input has, making room for the line begun.
void fill(onscale_state *st) {
  if (st->streaming)
    write_out(st);
  std::memmove(st->buf.data(), st->buf.data() + st->start, st->end - st->start);
  st->end -= st->start;
  st->searched -= st->start;
  st->start = 0;
  if (st->end == st->buf.size())
    st->buf.resize(2 * st->buf.size());
  ssize_t n;
  while ((n = read(st->fd, st->buf.data() + st->end, st->buf.size() - st->end)) < 0 &&
         errno == EINTR) {
  }
  if (n <= 0) {
    st->at_end = true;
    st->error = n < 0 ? errno : 0;
    return;
  }
  st->end += static_cast<std::size_t>(n);
}

// The bytes that separate the thousands of a number written with the mark, at p: a comma with a
// decimal dot; a dot, a blank, a no-break space or a narrow no-break space with a decimal comma.
// Returns their length, 0 where there are none.
std::size_t thousands_separator(const char *p, const char *end, decimal_mark mark) {
  if (mark == dot_mark)
    return *p == ',' ? 1 : 0;
  if (*p == '.' || *p == ' ')
    return 1;
  if (end - p >= 2 && std::memcmp(p, "\xc2\xa0", 2) == 0)
    return 2;
  return end - p >= 3 && std::memcmp(p, "\xe2\x80\xaf", 3) == 0 ? 3 : 0;
}

// A number's sign, digits, decimal point and exponent, as from_chars reads them.
struct number_text {
  char bytes[longest_number + 8];
  std::size_t n;
};

// Copies the digits of the whole part at p, the thousands in groups of three, and counts them in
// whole; returns where the part ends, or null where a group is not of three.
const char *copy_whole_part(const char *p, const char *end, decimal_mark mark, number_text *out,
                            int *whole) {
  int group = -1; // digits since the latest thousands separator, -1 before the first
  for (; p < end && out->n < longest_number; ++p) {
    if (is_digit(*p)) {
      out->bytes[out->n++] = *p;
      ++*whole;
      group += group >= 0 ? 1 : 0;
      if (group > 3)
        return nullptr;
      continue;
    }
    const std::size_t separator = thousands_separator(p, end, mark);
    if (separator == 0 || *whole == 0 || (group >= 0 && group != 3) || (group < 0 && *whole > 3))
      break;
    group = 0;
    p += separator - 1;
  }
  return group < 0 || group == 3 ? p : nullptr;
}

// Copies the fraction after the decimal mark at p, if any, and the exponent, and counts the
// fraction's digits; returns where they end, or null where the exponent has no digits.
const char *copy_fraction_and_exponent(const char *p, const char *end, decimal_mark mark,
                                       number_text *out, int *fraction) {
  if (p < end && *p == (mark == dot_mark ? '.' : ',')) {
    out->bytes[out->n++] = '.';
    for (++p; p < end && is_digit(*p) && out->n < longest_number; ++p, ++*fraction)
      out->bytes[out->n++] = *p;
  }
  if (p == end || (*p != 'e' && *p != 'E'))
    return p;
  out->bytes[out->n++] = 'e';
  ++p;
  if (p < end && (*p == '-' || *p == '+'))
    out->bytes[out->n++] = *p++;
  const char *const exponent = p;
  for (; p < end && is_digit(*p) && out->n < longest_number; ++p)
    out->bytes[out->n++] = *p;
  return p != exponent ? p : nullptr;
}

// Reads the field as a number written with the mark: a sign, digits with the thousands in groups
// of three, a fraction, an exponent. NaN where it is not one; infinity where it is too large.
double number_as(std::string_view field, decimal_mark mark) {
  // Left unset: only the bytes counted in n are read.
  number_text number;
  number.n = 0;
  const char *p = field.data();
  const char *const end = p + field.size();
  // from_chars takes a minus sign alone.
  if (p < end && *p == '-')
    number.bytes[number.n++] = '-';
  if (p < end && (*p == '-' || *p == '+'))
    ++p;
  int whole = 0;
  int fraction = 0;
  p = copy_whole_part(p, end, mark, &number, &whole);
  if (p != nullptr)
    p = copy_fraction_and_exponent(p, end, mark, &number, &fraction);
  if (p != end || whole + fraction == 0)
    return no_number;
  double value = 0;
  if (std::from_chars(number.bytes, number.bytes + number.n, value).ec == std::errc())
    return value;
  // Out of range: too large, or so small that it is 0 as far as a plot goes.
  number.bytes[number.n] = '\0';
  return std::strtod(number.bytes, nullptr);
}

// Takes the field at p: its text, unquoted and without the blanks around it. Returns where the
// next field starts, or null after the last.
const char *take_field(const onscale_state *st, const char *p, const char *end,
                       std::string_view *text) {
  const bool blanks = st->separator == ' ';
  while (p < end && is_blank(*p))
    ++p;
  const char *from = p;
  const char *last = nullptr;
  if (p < end && *p == '"') {
    // A quote in a quoted field is written twice; the field goes on to its closing quote.
    from = ++p;
    for (;;) {
      const void *quote = std::memchr(p, '"', static_cast<std::size_t>(end - p));
      p = quote != nullptr ? static_cast<const char *>(quote) : end;
      if (p + 1 >= end || p[1] != '"')
        break;
      p += 2;
    }
    last = p;
  }
  if (blanks) {
    while (p < end && !is_blank(*p))
      ++p;
  } else {
    const void *at = std::memchr(p, st->separator, static_cast<std::size_t>(end - p));
    p = at != nullptr ? static_cast<const char *>(at) : end;
  }
  if (last == nullptr)
    for (last = p; last > from && is_blank(last[-1]);)
      --last;
  *text = std::string_view(from, static_cast<std::size_t>(last - from));
  if (blanks)
    while (p < end && is_blank(*p))
      ++p;
  else if (p < end)
    return p + 1;
  return p < end ? p : nullptr;
}

} // namespace

bool next_line(onscale_state *st, const char **line, std::size_t *len) {
  for (;;) {
    const char *const base = st->buf.data();
    const auto *newline =
        static_cast<const char *>(std::memchr(base + st->searched, '\n', st->end - st->searched));
    st->searched = newline != nullptr ? st->start : st->end;
    if (newline != nullptr || (st->at_end && st->start < st->end)) {
      const char *from = base + st->start;
      std::size_t n =
          static_cast<std::size_t>((newline != nullptr ? newline : base + st->end) - from);
      st->start += n + (newline != nullptr ? 1 : 0);
      st->searched = st->start;
      if (n > 0 && from[n - 1] == '\r')
        --n;
      // A byte-order mark starts the first line whether or not it is a header.
      if (++st->line == 1 && n >= 3 && std::memcmp(from, "\xef\xbb\xbf", 3) == 0) {
        from += 3;
        n -= 3;
      }
      *line = from;
      *len = n;
      return true;
    }
    if (st->at_end)
      return false;
    fill(st);
  }
}

char separator_of(const char *line, std::size_t len) {
  bool seen[3] = {};
  bool quoted = false;
  for (std::size_t i = 0; i < len; ++i) {
    quoted = quoted != (line[i] == '"');
    if (!quoted)
      for (int k = 0; k < 3; ++k)
        seen[k] = seen[k] || line[i] == ";\t,"[k];
  }
  for (int k = 0; k < 3; ++k)
    if (seen[k])
      return ";\t,"[k];
  return ' ';
}

int split_line(const onscale_state *st, const char *line, std::size_t len, const int want[2],
               std::string_view text[2]) {
  const int last = std::max(want[0], want[1]);
  int fields = 0;
  for (const char *p = line; p != nullptr && fields < last;) {
    std::string_view field;
    p = take_field(st, p, line + len, &field);
    ++fields;
    for (int axis = 0; axis < 2; ++axis)
      if (want[axis] == fields)
        text[axis] = field;
  }
  return fields;
}

std::vector<std::string> all_fields(const onscale_state *st, const char *line, std::size_t len) {
  std::vector<std::string> names;
  for (const char *p = line; p != nullptr;) {
    std::string_view field;
    p = take_field(st, p, line + len, &field);
    std::string name(field);
    for (std::size_t at = 0; (at = name.find("\"\"", at)) != std::string::npos; ++at)
      name.erase(at, 1);
    names.push_back(name);
  }
  return names;
}

reading read_number(std::string_view field) {
  reading r{};
  r.as[dot_mark] = number_as(field, dot_mark);
  // Only a field with a mark, a blank or a byte beyond ASCII reads otherwise with a decimal comma.
  bool other = false;
  for (const char c : field)
    other = other || c == ',' || c == '.' || c == ' ' || static_cast<unsigned char>(c) >= 0x80;
  r.as[comma_mark] = other ? number_as(field, comma_mark) : r.as[dot_mark];
  return r;
}

#include "fields.h"

#include "instant.h"
#include "number.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Where a field that is a date, from from to p, ends: after the time of day that follows it
// after blanks, from after, where one does, with after moved past that time; else at p.
const char *past_its_clock(const char *from, const char *p, const char *after, const char *end,
                           const char **next) {
  const auto size = [](const char *a, const char *b) { return static_cast<std::size_t>(b - a); };
  const time_form date = form_of(std::string_view(from, size(from, p)), nullptr);
  if (date != iso_form && date != dotted_form && date != year_first_form && date != slashed_form)
    return p;
  const char *clock_end = std::find_if(after, end, is_blank);
  // A zone or AM and PM may follow the clock after a blank.
  const char *more = std::find_if_not(clock_end, end, is_blank);
  const char *more_end = std::find_if(more, end, is_blank);
  for (const char *stop : {more_end, clock_end})
    if (form_of(std::string_view(from, size(from, stop)), nullptr) == date) {
      const char *following = std::find_if_not(stop, end, is_blank);
      *next = following < end ? following : nullptr;
      return stop;
    }
  return p;
}

// Where a field that starts at p in double quotes, or in square brackets between blanks, ends: at
// its closing quote or bracket, or at the end; null where the field starts with neither.
const char *closing_of(const char *p, const char *end, char separator) {
  const auto find = [end](const char *from, char c) {
    const void *at = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return at != nullptr ? static_cast<const char *>(at) : end;
  };
  if (p < end && *p == '[' && (separator == blanks || separator == dated_blanks))
    return find(p + 1, ']');
  if (p == end || *p != '"')
    return nullptr;
  // A quote in a quoted field is written twice; the field goes on to its closing quote.
  for (p = find(p + 1, '"'); p + 1 < end && p[1] == '"'; p = find(p + 2, '"')) {
  }
  return p;
}

} // namespace

char separator_of(std::string_view line) {
  bool seen[3] = {};
  bool quoted = false;
  bool comma_between_digits = true;
  bool blank_between_fields = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    quoted = quoted != (c == '"');
    if (quoted)
      continue;
    for (int k = 0; k < 3; ++k)
      seen[k] = seen[k] || c == ";\t,"[k];
    if (c == ',')
      comma_between_digits = comma_between_digits && i > 0 && i + 1 < line.size() &&
                             is_digit(line[i - 1]) && is_digit(line[i + 1]);
    if (c == ' ' && i > 0 && !is_blank(line[i - 1]))
      blank_between_fields =
          blank_between_fields || line.find_first_not_of(" \t", i) != std::string_view::npos;
  }
  if (seen[0])
    return ';';
  if (seen[1])
    return '\t';
  if (!seen[2])
    return blanks;
  if (!comma_between_digits || !blank_between_fields)
    return ',';
  // The commas are radix characters where each field between blanks that holds one is a number, as
  // in 0,25 100, or a time of a log with its fraction of a second, as in 23:58:00,587 INFO; not in
  // a date and a time and a value after them, such as 2026-12-09 08:00:00,57.
  for (std::string_view rest = line; rest.data() != nullptr;) {
    const std::string_view text = next_field(&rest, blanks).text;
    if (text.find(',') != std::string_view::npos &&
        std::isnan(read_number(text, radix_comma).as[radix_comma]) &&
        (rest.data() == nullptr || form_of(text, nullptr) != time_of_day_form))
      return ',';
  }
  return has_dated_blanks(line) ? dated_blanks : blanks;
}

bool has_dated_blanks(std::string_view line) {
  for (std::string_view rest = line; rest.data() != nullptr;) {
    std::string_view dated = rest;
    const std::string_view text = next_field(&rest, blanks).text;
    if (next_field(&dated, dated_blanks).text.size() > text.size())
      return true;
  }
  return false;
}

field next_field(std::string_view *rest, char separator) {
  const char *p = rest->data();
  const char *const end = p + rest->size();
  while (p < end && is_blank(*p))
    ++p;
  const char *from = p;
  const char *last = closing_of(p, end, separator);
  if (last != nullptr) {
    from = p + 1;
    p = last;
  }
  const char *after = nullptr; // where the next field starts, if one does
  if (separator == blanks || separator == dated_blanks) {
    while (p < end && !is_blank(*p))
      ++p;
    after = std::find_if_not(p, end, is_blank);
    after = after < end ? after : nullptr;
    if (separator == dated_blanks && last == nullptr && after != nullptr)
      p = past_its_clock(from, p, after, end, &after);
  } else {
    const void *at = std::memchr(p, separator, static_cast<std::size_t>(end - p));
    p = at != nullptr ? static_cast<const char *>(at) : end;
    // A separator at the end of the line leaves an empty field after it.
    after = at != nullptr ? p + 1 : nullptr;
  }
  const bool quoted = last != nullptr;
  if (!quoted)
    for (last = p; last > from && is_blank(last[-1]);)
      --last;
  *rest = after != nullptr ? std::string_view(after, static_cast<std::size_t>(end - after))
                           : std::string_view();
  return {std::string_view(from, static_cast<std::size_t>(last - from)), quoted};
}

int split_line(std::string_view line, char separator, const int want[2], std::string_view text[2]) {
  const int last = std::max(want[0], want[1]);
  int fields = 0;
  for (std::string_view rest = line; rest.data() != nullptr && fields < last;) {
    const field f = next_field(&rest, separator);
    ++fields;
    for (int axis = 0; axis < 2; ++axis)
      if (want[axis] == fields)
        text[axis] = f.text;
  }
  return fields;
}

std::vector<std::string> names_in(std::string_view line, char separator) {
  std::vector<std::string> names;
  for (std::string_view rest = line; rest.data() != nullptr;)
    names.push_back(unquoted(next_field(&rest, separator)));
  return names;
}

std::string unquoted(const field &f) {
  std::string out;
  out.reserve(f.text.size());
  for (std::size_t at = 0; at < f.text.size(); ++at) {
    out += f.text[at];
    if (f.quoted && f.text[at] == '"')
      ++at;
  }
  return out;
}

#include "month_names.h"

#include <cstring>

namespace {

constexpr const char *months[] = {"january",   "february", "march",    "april",
                                  "may",       "june",     "july",     "august",
                                  "september", "october",  "november", "december"};

constexpr const char *weekdays[] = {"monday", "tuesday",  "wednesday", "thursday",
                                    "friday", "saturday", "sunday"};

bool is_letter(char c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Reads a word of letters that is one of the names, whole or its first three letters, or, for
// September, Sept; returns its number from 1, or 0.
long read_name(scan *s, const char *const *names, long count) {
  const char *const from = s->p;
  while (s->p < s->end && is_letter(*s->p))
    ++s->p;
  const auto len = static_cast<std::size_t>(s->p - from);
  for (long k = 0; k < count && len >= 3; ++k) {
    const std::size_t whole = std::strlen(names[k]);
    bool same = len <= whole && (len == 3 || len == whole || (k == 8 && len == 4));
    for (std::size_t i = 0; same && i < len; ++i)
      same = (from[i] | 0x20) == names[k][i];
    if (same)
      return k + 1;
  }
  return 0;
}

// Passes over a weekday and the comma and blanks after it, where the date starts with one.
void skip_weekday(scan *s) {
  scan day = *s;
  if (read_name(&day, weekdays, 7) == 0 || !skip(&day, ','))
    return;
  while (skip(&day, ' ')) {
  }
  *s = day;
}

// Reads the day, the month's name and the year, in the order given.
bool read_date(scan *s, bool month_first, long *year, long *month, long *day) {
  if (month_first) {
    *month = read_name(s, months, 12);
    skip(s, '.');
    if (*month == 0 || !skip(s, ' ') || !read_digits(s, 1, 2, day))
      return false;
    skip(s, ',');
    return skip(s, ' ') && read_digits(s, 4, 4, year);
  }
  if (!read_digits(s, 1, 2, day) || s->p == s->end)
    return false;
  const char between = *s->p;
  if (between != ' ' && between != '-' && between != '/')
    return false;
  ++s->p;
  *month = read_name(s, months, 12);
  return *month != 0 && skip(s, between) && read_digits(s, 4, 4, year);
}

} // namespace

bool read_month_name_date(scan *s, bool month_first, clock_reading *c, int *zone) {
  skip_weekday(s);
  long year = 0;
  long month = 0;
  long day = 0;
  long days = 0;
  if (!read_date(s, month_first, &year, &month, &day) || !days_of(year, month, day, &days))
    return false;
  c->whole = days * seconds_per_day;
  if (s->p == s->end)
    return true;
  // A web server writes a colon before the time.
  if (!skip(s, ' ') && !skip(s, ':') && !skip(s, 'T'))
    return false;
  if (!read_clock(s, 1, true, c))
    return false;
  skip(s, ' ');
  return read_zone(s, zone);
}

std::string month_name(long month) {
  std::string name(months[month - 1], 3);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

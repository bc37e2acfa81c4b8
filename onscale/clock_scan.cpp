#include "clock_scan.h"

#include "text.h"

#include <chrono>

bool read_digits(scan *s, int min, int max, long *out) {
  int n = 0;
  *out = 0;
  for (; n < max && s->p < s->end && is_digit(*s->p); ++n, ++s->p)
    *out = *out * 10 + (*s->p - '0');
  return n >= min;
}

bool skip(scan *s, char c) {
  if (s->p == s->end || *s->p != c)
    return false;
  ++s->p;
  return true;
}

namespace {

// Reads a fraction of a second after its dot or comma; digits past a microsecond are dropped.
void read_fraction(scan *s, clock_reading *c) {
  if (s->p + 1 >= s->end || (*s->p != '.' && *s->p != ',') || !is_digit(s->p[1]))
    return;
  for (++s->p; s->p < s->end && is_digit(*s->p); ++s->p)
    if (c->places < 6) {
      c->fraction = c->fraction * 10 + (*s->p - '0');
      ++c->places;
    }
}

// Reads AM or PM after a clock, a blank between them or not, into the hour of a 24-hour clock;
// false for an hour that no 12-hour clock shows.
bool read_meridiem(scan *s, long *hour) {
  scan after = *s;
  skip(&after, ' ');
  if (after.end - after.p < 2 || (after.p[1] | 0x20) != 'm' ||
      ((after.p[0] | 0x20) != 'a' && (after.p[0] | 0x20) != 'p'))
    return true;
  if (*hour < 1 || *hour > 12)
    return false;
  *hour = *hour % 12 + ((after.p[0] | 0x20) == 'p' ? 12 : 0);
  s->p = after.p + 2;
  return true;
}

} // namespace

bool read_clock(scan *s, int hour_digits, bool twelve_hour, clock_reading *c) {
  long h = 0;
  long m = 0;
  long sec = 0;
  if (!read_digits(s, hour_digits, 2, &h) || !skip(s, ':') || !read_digits(s, 2, 2, &m))
    return false;
  if (skip(s, ':') && !read_digits(s, 2, 2, &sec))
    return false;
  read_fraction(s, c);
  if (twelve_hour && !read_meridiem(s, &h))
    return false;
  // 24:00 ends a day, as ISO 8601 allows.
  const bool end_of_day = h == 24 && m == 0 && sec == 0 && c->fraction == 0;
  if ((h > 23 && !end_of_day) || m > 59 || sec > 60)
    return false;
  c->whole += h * 3600 + m * 60 + sec;
  return true;
}

bool read_zone(scan *s, int *zone) {
  const auto written = [s](const char *name) {
    for (const char *n = name; *n != '\0'; ++n)
      if (s->p + (n - name) >= s->end || s->p[n - name] != *n)
        return false;
    s->p += 3;
    return true;
  };
  if (skip(s, 'Z') || skip(s, 'z') || written("UTC") || written("GMT")) {
    *zone = 0;
    return true;
  }
  if (s->p == s->end || (*s->p != '+' && *s->p != '-'))
    return true;
  const int sign = *s->p++ == '-' ? -1 : 1;
  long h = 0;
  long m = 0;
  if (!read_digits(s, 2, 2, &h) || h > 23)
    return false;
  const bool colon = skip(s, ':');
  if ((colon || s->p < s->end) && (!read_digits(s, 2, 2, &m) || m > 59))
    return false;
  *zone = sign * static_cast<int>(h * 3600 + m * 60);
  return true;
}

bool days_of(long year, long month, long day, long *days) {
  using namespace std::chrono;
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < -9999 || year > 9999)
    return false;
  const year_month_day date{std::chrono::year{static_cast<int>(year)},
                            std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok())
    return false;
  *days = sys_days{date}.time_since_epoch().count();
  return true;
}

civil_date date_of(long days) {
  using namespace std::chrono;
  const year_month_day date{sys_days{std::chrono::days{days}}};
  return {static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day())};
}

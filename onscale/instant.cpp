#include "instant.h"

#include "number.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

constexpr long day = seconds_per_day;

// Days from 1970-01-01 to the date of the proleptic Gregorian calendar, and back.
long days_from_civil(long y, long m, long d) {
  y -= m <= 2 ? 1 : 0;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long year_of_era = y - era * 400;
  const long day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  return era * 146097 + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year -
         719468;
}

struct civil_date {
  long year;
  long month;
  long day;
};

civil_date civil_from_days(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long day_of_era = z - era * 146097;
  const long year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const long mp = (5 * day_of_year + 2) / 153;
  const long month = mp < 10 ? mp + 3 : mp - 9;
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month,
          day_of_year - (153 * mp + 2) / 5 + 1};
}

bool is_date(long y, long m, long d) {
  static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
  return m >= 1 && m <= 12 && d >= 1 && d <= days[m - 1] && (m != 2 || d < 29 || leap);
}

// The text being read.
struct scan {
  const char *p;
  const char *end;
};

// Reads min to max digits into out.
bool digits(scan *s, int min, int max, long *out) {
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

// A time as whole seconds and a decimal fraction of so many digits, so that the two make one
// double as nearly as from_chars would.
struct clock_reading {
  long whole;
  long fraction;
  int places;
};

constexpr long tens[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Reads hours, minutes, and seconds with a fraction where they are given, into the seconds since
// midnight; where twelve_hour, an hour from 1 to 12 may be followed by AM or PM.
bool read_clock(scan *s, int hour_digits, bool twelve_hour, clock_reading *c) {
  long h = 0;
  long m = 0;
  long sec = 0;
  if (!digits(s, hour_digits, 2, &h) || !skip(s, ':') || !digits(s, 2, 2, &m))
    return false;
  if (skip(s, ':') && !digits(s, 2, 2, &sec))
    return false;
  if (s->p + 1 < s->end && (*s->p == '.' || *s->p == ',') && is_digit(s->p[1])) {
    ++s->p;
    // Digits past a microsecond are dropped.
    for (; s->p < s->end && is_digit(*s->p); ++s->p) {
      if (c->places == 6)
        continue;
      c->fraction = c->fraction * 10 + (*s->p - '0');
      ++c->places;
    }
  }
  scan meridiem = *s;
  skip(&meridiem, ' ');
  if (twelve_hour && meridiem.end - meridiem.p >= 2 && (meridiem.p[1] | 0x20) == 'm' &&
      ((meridiem.p[0] | 0x20) == 'a' || (meridiem.p[0] | 0x20) == 'p')) {
    if (h < 1 || h > 12)
      return false;
    h = h % 12 + ((meridiem.p[0] | 0x20) == 'p' ? 12 : 0);
    s->p = meridiem.p + 2;
  }
  // 24:00 ends a day, as ISO 8601 allows.
  const bool end_of_day = h == 24 && m == 0 && sec == 0 && c->fraction == 0;
  if ((h > 23 && !end_of_day) || m > 59 || sec > 60)
    return false;
  c->whole += h * 3600 + m * 60 + sec;
  return true;
}

// Reads a zone: Z, or an offset from UTC of hours, with minutes after a colon or without one.
bool read_zone(scan *s, int *zone) {
  if (skip(s, 'Z') || skip(s, 'z')) {
    *zone = 0;
    return true;
  }
  if (s->p == s->end || (*s->p != '+' && *s->p != '-'))
    return true;
  const int sign = *s->p++ == '-' ? -1 : 1;
  long h = 0;
  long m = 0;
  if (!digits(s, 2, 2, &h) || h > 23)
    return false;
  const bool colon = skip(s, ':');
  if ((colon || s->p < s->end) && (!digits(s, 2, 2, &m) || m > 59))
    return false;
  *zone = sign * static_cast<int>(h * 3600 + m * 60);
  return true;
}

// 2026-12-09, then a T, a blank or a dash and a time of day, then a zone.
bool read_iso(scan *s, clock_reading *c, int *zone) {
  long y = 0;
  long m = 0;
  long d = 0;
  if (!digits(s, 4, 4, &y) || !skip(s, '-') || !digits(s, 2, 2, &m) || !skip(s, '-') ||
      !digits(s, 2, 2, &d) || !is_date(y, m, d))
    return false;
  c->whole = days_from_civil(y, m, d) * day;
  if (s->p == s->end)
    return true;
  if (!skip(s, 'T') && !skip(s, 't') && !skip(s, ' ') && !skip(s, '-'))
    return false;
  return read_clock(s, 2, false, c) && read_zone(s, zone);
}

// A date of three numbers between two separators, the year first or last, and a time after a
// blank where there is one. told gets the order that a number over 12 tells, in a slashed date.
bool read_spreadsheet_date(scan *s, time_form form, int order, clock_reading *c, int *told) {
  const char mark = form == dotted_form ? '.' : '/';
  long a = 0;
  long b = 0;
  long y = 0;
  const bool year_first = form == year_first_form;
  if (!digits(s, year_first ? 4 : 1, year_first ? 4 : 2, year_first ? &y : &a) || !skip(s, mark) ||
      !digits(s, 1, 2, year_first ? &a : &b) || !skip(s, mark) ||
      !digits(s, year_first ? 1 : 4, year_first ? 2 : 4, year_first ? &b : &y))
    return false;
  // A number over 12 cannot be a month: it tells which comes first.
  *told = form != slashed_form ? -1 : a > 12 ? day_first : b > 12 ? month_first : -1;
  const bool day_is_first = form == dotted_form || (form == slashed_form && order == day_first);
  long month = year_first || !day_is_first ? a : b;
  long date = year_first || !day_is_first ? b : a;
  if (form == slashed_form && order < 0 && *told == day_first)
    std::swap(month, date);
  if (!is_date(y, month, date))
    return false;
  c->whole = days_from_civil(y, month, date) * day;
  return s->p == s->end || (skip(s, ' ') && read_clock(s, 1, form == slashed_form, c));
}

// Reads the value with a strptime(3) format, where the format reads all of it.
bool read_with_format(std::string_view value, const char *format, clock_reading *c, int *zone) {
  char text[64];
  if (value.size() >= sizeof text)
    return false;
  value.copy(text, value.size());
  text[value.size()] = '\0';
  std::tm tm{};
  tm.tm_mday = 1;
  const char *rest = strptime(text, format, &tm);
  if (rest == nullptr || *rest != '\0')
    return false;
  // timegm sets the offset to UTC's.
  *zone = std::strstr(format, "%z") != nullptr ? static_cast<int>(tm.tm_gmtoff) : no_zone;
  c->whole = timegm(&tm);
  return true;
}

// snprintf, counting what it wrote in the room it had.
template <typename... Args>
std::size_t write_text(char *text, std::size_t room, const char *format, Args... args) {
  const int n = std::snprintf(text, room, format, args...);
  return n < 0 ? 0 : std::min(static_cast<std::size_t>(n), room - 1);
}

// Writes a date in the form, and nothing for a time of day.
std::size_t write_date(char *text, std::size_t room, const civil_date &d, time_form form,
                       bool day_first_order) {
  if (form == iso_form)
    return write_text(text, room, "%04ld-%02ld-%02ld", d.year, d.month, d.day);
  if (form == dotted_form)
    return write_text(text, room, "%02ld.%02ld.%04ld", d.day, d.month, d.year);
  if (form == year_first_form)
    return write_text(text, room, "%04ld/%02ld/%02ld", d.year, d.month, d.day);
  if (form == slashed_form)
    return write_text(text, room, "%02ld/%02ld/%04ld", day_first_order ? d.day : d.month,
                      day_first_order ? d.month : d.day, d.year);
  return 0;
}

// Writes hours and minutes, and the seconds where the step is under a minute, with the places
// that tell one step from the next.
std::size_t write_clock(char *text, std::size_t room, double clock, const char *before,
                        double step) {
  const auto hours = static_cast<long>(clock / 3600);
  const auto minutes = static_cast<long>(clock / 60) % 60;
  std::size_t n = write_text(text, room, "%s%02ld:%02ld", before, hours, minutes);
  if (step >= 60)
    return n;
  const int places = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
  const double sec = clock - static_cast<double>(hours * 3600 + minutes * 60);
  return n + write_text(text + n, room - n, ":%0*.*f", places > 0 ? places + 3 : 2, places, sec);
}

} // namespace

time_reading read_time(std::string_view value, time_form form, int order, const char *format) {
  scan s{value.data(), value.data() + value.size()};
  clock_reading c{0, 0, 0};
  time_reading r{no_value, -1, no_zone};
  bool read = false;
  if (form == iso_form)
    read = read_iso(&s, &c, &r.zone);
  else if (form == time_of_day_form)
    read = read_clock(&s, 1, true, &c);
  else if (form == format_form)
    read = format != nullptr && read_with_format(value, format, &c, &r.zone);
  else if (form != no_time_form)
    read = read_spreadsheet_date(&s, form, order, &c, &r.order);
  if (!read || (form != format_form && s.p != s.end))
    return r;
  const long whole = c.whole - (r.zone != no_zone ? r.zone : 0);
  // Both exact doubles, the whole in tenths, hundredths or so and the power of ten make, divided,
  // the double nearest the time, as from_chars makes it of the same digits.
  r.seconds = static_cast<double>(whole * tens[c.places] + c.fraction) /
              static_cast<double>(tens[c.places]);
  return r;
}

time_form form_of(std::string_view value, const char *format) {
  if (format != nullptr && !std::isnan(read_time(value, format_form, -1, format).seconds))
    return format_form;
  for (const time_form form :
       {iso_form, time_of_day_form, dotted_form, year_first_form, slashed_form})
    if (!std::isnan(read_time(value, form, -1, nullptr).seconds))
      return form;
  return no_time_form;
}

double swap_day_and_month(double seconds) {
  const double days = std::floor(seconds / day);
  const civil_date date = civil_from_days(static_cast<long>(days));
  return static_cast<double>(days_from_civil(date.year, date.day, date.month)) * day +
         (seconds - days * day);
}

std::string write_time(double seconds, time_form form, int order, int zone, const char *format,
                       double step) {
  const double local = seconds + (zone != no_zone ? zone : 0);
  const double days = std::floor(local / day);
  char text[96];
  if (form == format_form) {
    const auto t = static_cast<std::time_t>(std::floor(local));
    std::tm tm{};
    gmtime_r(&t, &tm);
    return std::string(text, std::strftime(text, sizeof text, format, &tm));
  }
  std::size_t n = write_date(text, sizeof text, civil_from_days(static_cast<long>(days)), form,
                             order == day_first);
  // A time of day goes on counting hours past midnight.
  if (form == time_of_day_form || step < day)
    n += write_clock(text + n, sizeof text - n,
                     form == time_of_day_form ? local : local - days * day,
                     form == time_of_day_form ? ""
                     : form == iso_form       ? "T"
                                              : " ",
                     step);
  // The zone goes with a time of day.
  if (form == iso_form && step < day && zone == 0)
    n += write_text(text + n, sizeof text - n, "Z");
  else if (form == iso_form && step < day && zone != no_zone)
    n += write_text(text + n, sizeof text - n, "%c%02d:%02d", zone < 0 ? '-' : '+',
                    std::abs(zone) / 3600, std::abs(zone) / 60 % 60);
  return std::string(text, n);
}

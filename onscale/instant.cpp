#include "instant.h"

#include "month_names.h"
#include "number.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <utility>

namespace {

constexpr long tens[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// 2026-12-09, then a T, a blank or a dash and a time of day, then a zone.
bool read_iso(scan *s, clock_reading *c, int *zone) {
  long y = 0;
  long m = 0;
  long d = 0;
  long days = 0;
  if (!read_digits(s, 4, 4, &y) || !skip(s, '-') || !read_digits(s, 2, 2, &m) || !skip(s, '-') ||
      !read_digits(s, 2, 2, &d) || !days_of(y, m, d, &days))
    return false;
  c->whole = days * seconds_per_day;
  if (s->p == s->end)
    return true;
  if (!skip(s, 'T') && !skip(s, 't') && !skip(s, ' ') && !skip(s, '-'))
    return false;
  return read_clock(s, 2, false, c) && read_zone(s, zone);
}

// A date of three numbers between two separators, the year first or last, and a time after a
// blank where there is one. told gets the order that a number over 12 tells, in a slashed date.
bool read_spreadsheet_date(scan *s, time_form form, int order, clock_reading *c, int *told) {
  const char between = form == dotted_form ? '.' : '/';
  long a = 0;
  long b = 0;
  long y = 0;
  const bool year_first = form == year_first_form;
  if (!read_digits(s, year_first ? 4 : 1, year_first ? 4 : 2, year_first ? &y : &a) ||
      !skip(s, between) || !read_digits(s, 1, 2, year_first ? &a : &b) || !skip(s, between) ||
      !read_digits(s, year_first ? 1 : 4, year_first ? 2 : 4, year_first ? &b : &y))
    return false;
  // A number over 12 cannot be a month: it tells which comes first.
  *told = form != slashed_form ? -1 : a > 12 ? day_first : b > 12 ? month_first : -1;
  const bool day_is_first = form == dotted_form || (form == slashed_form && order == day_first);
  long month = year_first || !day_is_first ? a : b;
  long date = year_first || !day_is_first ? b : a;
  if (form == slashed_form && order < 0 && *told == day_first)
    std::swap(month, date);
  long days = 0;
  if (!days_of(y, month, date, &days))
    return false;
  c->whole = days * seconds_per_day;
  return s->p == s->end || (skip(s, ' ') && read_clock(s, 1, form == slashed_form, c));
}

// Reads the value with a strptime(3) format, where the format reads all of it, into the seconds
// since 1970 UTC, or since midnight for a time of day. An offset that %z reads is honoured, and
// seconds since 1970 that %s reads are the same instant whatever TZ says: glibc fills the fields
// for them with the local time, and its offset.
bool read_with_format(std::string_view value, const char *format, clock_reading *c, int *zone) {
  // strptime would read no further than a NUL.
  if (value.find('\0') != std::string_view::npos)
    return false;
  const std::string text(value);
  std::tm tm{};
  tm.tm_mday = 1;
  const char *rest = strptime(text.c_str(), format, &tm);
  if (rest == nullptr || *rest != '\0')
    return false;
  if (is_clock_format(format)) {
    c->whole = tm.tm_hour * 3600L + tm.tm_min * 60L + tm.tm_sec;
    return true;
  }
  const bool offset = std::strstr(format, "%z") != nullptr;
  const bool epoch = std::strstr(format, "%s") != nullptr;
  const long gmtoff = tm.tm_gmtoff;
  c->whole = timegm(&tm) - (offset || epoch ? gmtoff : 0);
  *zone = offset ? static_cast<int>(gmtoff) : epoch ? 0 : no_zone;
  return true;
}

} // namespace

bool is_clock_format(const char *format) {
  for (const char *p = format; p != nullptr && (p = std::strchr(p, '%')) != nullptr; p += 2) {
    if (p[1] == '\0')
      break;
    if (std::strchr("bBcCdDeFgGhjmsUVWxyY", p[1]) != nullptr)
      return false;
  }
  return format != nullptr;
}

bool is_clock_form(time_form form, const char *format) {
  return form == time_of_day_form || (form == format_form && is_clock_format(format));
}

time_reading read_time(std::string_view value, time_form form, int order, const char *format) {
  scan s{value.data(), value.data() + value.size()};
  clock_reading c{0, 0, 0};
  time_reading r{no_value, -1, no_zone};
  bool read = false;
  if (form == iso_form)
    read = read_iso(&s, &c, &r.zone);
  else if (form == time_of_day_form)
    read = read_clock(&s, 1, true, &c);
  else if (form == month_day_form || form == day_month_form)
    read = read_month_name_date(&s, form == month_day_form, &c, &r.zone);
  else if (form == format_form)
    read = format != nullptr && read_with_format(value, format, &c, &r.zone);
  else if (form != no_time_form)
    read = read_spreadsheet_date(&s, form, order, &c, &r.order);
  if (!read || (form != format_form && s.p != s.end))
    return r;
  const long whole = c.whole - (form != format_form && r.zone != no_zone ? r.zone : 0);
  // Both exact doubles, the whole in tenths, hundredths or so and the power of ten make, divided,
  // the double nearest the time, as from_chars makes it of the same digits.
  r.seconds = static_cast<double>(whole * tens[c.places] + c.fraction) /
              static_cast<double>(tens[c.places]);
  return r;
}

time_form form_of(std::string_view value, const char *format) {
  if (format != nullptr && !std::isnan(read_time(value, format_form, -1, format).seconds))
    return format_form;
  for (const time_form form : {iso_form, time_of_day_form, dotted_form, year_first_form,
                               slashed_form, month_day_form, day_month_form})
    if (!std::isnan(read_time(value, form, -1, nullptr).seconds))
      return form;
  return no_time_form;
}

double swap_day_and_month(double seconds) {
  const double days = std::floor(seconds / seconds_per_day);
  const civil_date date = date_of(static_cast<long>(days));
  long swapped = 0;
  if (!days_of(date.year, date.day, date.month, &swapped))
    return no_value;
  return static_cast<double>(swapped) * seconds_per_day + (seconds - days * seconds_per_day);
}

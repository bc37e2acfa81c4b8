#include "instant.h"
#include "month_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// snprintf into a string.
template <typename... Args> std::string printed(const char *format, Args... args) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, static_cast<std::size_t>(std::clamp(n, 0, 63)));
}

// The date in the form, and nothing for a time of day.
std::string date_text(const civil_date &d, time_form form, bool day_first_order) {
  switch (form) {
  case iso_form:
    return printed("%04ld-%02ld-%02ld", d.year, d.month, d.day);
  case dotted_form:
    return printed("%02ld.%02ld.%04ld", d.day, d.month, d.year);
  case year_first_form:
    return printed("%04ld/%02ld/%02ld", d.year, d.month, d.day);
  case slashed_form:
    return printed("%02ld/%02ld/%04ld", day_first_order ? d.day : d.month,
                   day_first_order ? d.month : d.day, d.year);
  case month_day_form:
    return month_name(d.month) + printed(" %ld %04ld", d.day, d.year);
  case day_month_form:
    return printed("%ld ", d.day) + month_name(d.month) + printed(" %04ld", d.year);
  default:
    return "";
  }
}

// Hours and minutes of the day, and the seconds where the step is under a minute, with the places
// that tell one step from the next.
std::string clock_text(double clock, double step) {
  const auto hours = static_cast<long>(clock / 3600);
  const auto minutes = static_cast<long>(clock / 60) % 60;
  std::string text = printed("%02ld:%02ld", hours, minutes);
  if (step >= 60)
    return text;
  const int places = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
  const double sec = clock - static_cast<double>(hours * 3600 + minutes * 60);
  return text + printed(":%0*.*f", places > 0 ? places + 3 : 2, places, sec);
}

// What a time of day so many days after the first day's says of them.
std::string days_after(long days) {
  return days == 0 ? "" : days == 1 ? " next day" : printed(" %ld days later", days);
}

// The zone, as an offset from UTC.
std::string zone_text(int zone, bool colon) {
  return printed(colon ? "%c%02d:%02d" : "%c%02d%02d", zone < 0 ? '-' : '+', std::abs(zone) / 3600,
                 std::abs(zone) / 60 % 60);
}

// The instant written with a strptime format, as strftime writes it, but for what it writes of
// the zone and of the seconds since 1970, which are the value's own.
std::string format_text(double seconds, int zone, const char *format) {
  const double local = seconds + (zone != no_zone ? zone : 0);
  const auto t = static_cast<std::time_t>(std::floor(local));
  std::tm tm{};
  gmtime_r(&t, &tm);
  std::string own;
  for (const char *p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && (p[1] == 's' || p[1] == 'z'))
      own += p[1] == 's' ? printed("%.0f", std::floor(seconds)) : zone_text(zone, false);
    else if (p[0] == '%' && p[1] != '\0')
      own.append(p, 2);
    else
      own += *p;
    p += p[0] == '%' && p[1] != '\0' ? 1 : 0;
  }
  // strftime says nothing of the room it wants: it is given more until it is enough.
  std::string text;
  for (std::size_t room = own.size() * 4 + 64; room <= own.size() * 256 + 4096; room *= 2) {
    text.resize(room);
    text.resize(std::strftime(text.data(), room, own.c_str(), &tm));
    if (!text.empty())
      break;
  }
  return text;
}

} // namespace

std::string write_time(double seconds, time_form form, int order, int zone, const char *format,
                       double step) {
  const double local = seconds + (zone != no_zone ? zone : 0);
  const double days = std::floor(local / seconds_per_day);
  const double clock = local - days * seconds_per_day;
  if (is_clock_form(form, format))
    return (form == format_form ? format_text(clock, no_zone, format) : clock_text(clock, step)) +
           days_after(static_cast<long>(days));
  if (form == format_form)
    return format_text(seconds, zone, format);
  std::string text = date_text(date_of(static_cast<long>(days)), form, order == day_first);
  if (step >= seconds_per_day)
    return text;
  text += (form == iso_form ? "T" : " ") + clock_text(clock, step);
  // The zone goes with a time of day.
  if (form == iso_form && zone == 0)
    return text + "Z";
  if (zone != no_zone)
    text += form == iso_form ? zone_text(zone, true) : " " + zone_text(zone, false);
  return text;
}

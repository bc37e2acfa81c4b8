// Dates and times as logs, sensors, spreadsheets, web servers and mail write them, read as the
// instants they are, and written back in their own form.
#pragma once

#include "clock_scan.h"

#include <cstdint>
#include <string>
#include <string_view>

// The forms a column of dates or times may be written in.
enum time_form : std::uint8_t {
  no_time_form,
  iso_form,         // 2026-12-09, 2026-12-09T08:00, 2026-12-09 08:00:00.250Z, ...+01:00
  time_of_day_form, // 08:00, 8:00:00.250, 8:00 PM
  dotted_form,      // 09.12.2026, 9.12.2026 08:00
  year_first_form,  // 2026/12/09, 2026/12/09 08:00:00
  slashed_form,     // 12/09/2026 or 09/12/2026, month or day first, 8:00 AM
  month_day_form,   // Jan 1 2000, January 1, 2000, Jan 1 2000 8:00 PM
  day_month_form,   // 1 Jan 2000, 01-Jan-2000, 10/Dec/2026:13:53:38 +0000, Thu, 10 Dec 2026 ...
  format_form,      // as -t gives it, a strptime(3) format
};

// Which number comes first in a slashed date.
inline constexpr int month_first = 0;
inline constexpr int day_first = 1;

// Where a value names no zone.
inline constexpr int no_zone = -(1 << 30);

// A value read as a time: seconds since 1970-01-01 00:00 UTC, or since midnight for a time of day;
// a value without a zone is taken as written, never as local time, with no shift for daylight
// saving.
struct time_reading {
  double seconds; // NaN where the value is not a time in the form
  int order;      // for a slashed date, the order that a number over 12 tells, or -1
  int zone;       // the zone written, in seconds east of UTC, or no_zone
};

// The form the value is written in: as format gives it, where format is not null and reads it
// whole, whatever else the value could be read as; else the first of the forms above that reads
// it, or no_time_form.
time_form form_of(std::string_view value, const char *format);

// Reads the value in the form; a slashed date in the order given, or, where it is -1, month first
// unless only day first reads.
time_reading read_time(std::string_view value, time_form form, int order, const char *format);

// Whether the format reads a time of day alone, with no date: its values go on past midnight.
bool is_clock_format(const char *format);

// Whether the form is of times of day alone.
bool is_clock_form(time_form form, const char *format);

// A slashed date read in one order, read in the other; its time of day stays.
double swap_day_and_month(double seconds);

// Writes the instant in the form and zone, as precisely as step, in seconds, needs; a time of day
// past midnight as the time and the days after.
std::string write_time(double seconds, time_form form, int order, int zone, const char *format,
                       double step);

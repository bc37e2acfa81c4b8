// What dates and times of every form share, read off their text: digits, a clock, a zone; and the
// calendar, which counts the days from 1970-01-01.
#pragma once

#include <cstdint>

// Seconds in a day, as a clock without leap seconds counts them.
inline constexpr long seconds_per_day = 86400;

// The text being read.
struct scan {
  const char *p;
  const char *end;
};

// Reads min to max digits into out.
bool read_digits(scan *s, int min, int max, long *out);

// Passes over the byte c, where it comes next.
bool skip(scan *s, char c);

// A time as whole seconds and a decimal fraction of so many digits, so that the two make one
// double as nearly as from_chars would.
struct clock_reading {
  long whole;
  long fraction;
  int places;
};

// Reads hours, minutes, and seconds with a fraction after a dot or a comma where they are given,
// and adds them to the whole seconds; where twelve_hour, an hour from 1 to 12 may be followed by
// AM or PM.
bool read_clock(scan *s, int hour_digits, bool twelve_hour, clock_reading *c);

// Reads a zone, where one comes: Z, UTC or GMT, or an offset from UTC of hours, with minutes
// after a colon or without one; in seconds east of UTC.
bool read_zone(scan *s, int *zone);

// The days from 1970-01-01 to the date of the proleptic Gregorian calendar; false where there is
// no such date.
bool days_of(long year, long month, long day, long *days);

struct civil_date {
  long year;
  long month;
  long day;
};

// The date so many days after 1970-01-01.
civil_date date_of(long days);

// Dates with the month's English name, full or cut short, as people, web servers and mail write
// them, and a time after them where there is one: Jan 1 2000, January 1, 2000, 1 Jan 2000,
// 01-Jan-2000, 10/Dec/2026:13:53:38 +0000, Thu, 10 Dec 2026 13:53:38 +0000.
#pragma once

#include "clock_scan.h"

#include <string>

// Reads such a date and its time into c, the month's name before the day where month_first, and
// after it otherwise, and the zone written, where there is one.
bool read_month_name_date(scan *s, bool month_first, clock_reading *c, int *zone);

// The month's name cut short, as such dates are written back: Jan for 1.
std::string month_name(long month);

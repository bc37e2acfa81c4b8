// Everything onscale says on standard error, one line a message; what comes from outside, a path,
// a column, a name or a field, shown as write_escaped shows it.
#pragma once

#include "data.h"
#include "number.h"
#include "options.h"
#include "place.h"

#include <string_view>

// "onscale: <what>: <the system's text for error>"; for standard output, which is closed or could
// not be written, say.
void report_error(const char *what, int error);

// Writes what standard output holds; says so and returns false where that fails.
bool report_written_output();

// -p was given where there is no terminal to draw on, or no trackplot to draw with, or trackplot
// could not be started.
void report_no_terminal();
void report_no_trackplot();
void report_trackplot_failed(int error);

// The input could not be opened, or read.
void report_input_error(const options &opt, int error);

// The temporary file could not be made, or could not take the pairs.
void report_kept_error(const options &opt, int error);

// A column asked for by name is not in the header, line, whose fields are separated by separator;
// or the header is too long to be read; or it gives the name to two fields, numbered from 1.
void report_missing_name(const options &opt, int axis, long line, std::string_view header,
                         char separator);
void report_names_too_long(const options &opt, long line);
void report_name_twice(const options &opt, int axis, long line, const int fields[2]);

// -e or -m, given as option, was asked of a column of times; or a range was written otherwise than
// the values of its column.
void report_time_refused(const options &opt, int axis, const char *option);
void report_range_unlike(const options &opt, int axis);

// No slashed date of the column showed whether the day or the month comes first, and the month
// first was taken.
void report_order_taken(const options &opt, int axis);

// No number showed the decimal mark, and the mark taken decided what the line comes to.
void report_mark_taken(const options &opt, const data_line &example, decimal_mark taken);

// What became of the data lines: those left out and the first of them, or, where the input was
// read to its end, why no pair came out. The columns are those read, numbered from 1.
void report_lines(const options &opt, const tally &t, const int column[2], bool read_to_end);

// The values at the four edges of the screen, with digits enough to tell neighbouring cells apart,
// written as the columns hold them.
void report_edges(const options &opt, const frame &f, screen_size screen,
                  const column_kind kind[2]);

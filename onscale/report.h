// Everything onscale says on standard error, one line a message; what comes from outside, a path,
// a column, a name or a field, escaped.
#pragma once

#include "data.h"
#include "drawing.h"
#include "options.h"
#include "place.h"

#include <string>
#include <string_view>
#include <vector>

// What starts every message about the input: the file and the columns, as the command line gave
// them; and the columns, for the messages that name one.
struct message_head {
  std::string prefix;
  const char *column[2];
};
message_head head_of(const options &opt);

// "onscale: <what>: <the system's text for error>", for a call that failed on no input of the
// user's: standard output, or the signal descriptor.
void report_failed(const char *what, int error);

// Writes what standard output holds; says so and returns false where that fails.
bool report_written_output();

// -p was given where there is no trackplot to draw with, or trackplot could not be started, or it
// ended otherwise than as it should.
void report_no_trackplot();
void report_trackplot_failed(int error);
void report_drawing_ended(const drawing &d);

// The input could not be opened, or read.
void report_input_error(const message_head &head, int error);

// The temporary file could not be made, or could not take the pairs.
void report_kept_error(const message_head &head, int error);

// A column asked for by name is not among the names of the header, line; or the header is too
// long to be read; or it gives the name to two fields, numbered from 1.
void report_missing_name(const message_head &head, int axis, long line,
                         const std::vector<std::string> &names);
void report_names_too_long(const message_head &head, long line);
void report_name_twice(const message_head &head, int axis, long line, const int fields[2]);

// -e or -m, given as option, was asked of a column of times; or a range was written otherwise than
// the values of its column.
void report_time_refused(const message_head &head, int axis, const char *option);
void report_range_unlike(const message_head &head, int axis);

// No date of the column told whether the day or the month comes first, and the month first was
// taken; or a later line told it, after dates that read both ways.
void report_order_taken(const message_head &head, int axis);
void report_order_told(const message_head &head, int axis, int order, long line, const token &date);

// No number told the radix, and the radix taken decided what the line comes to.
void report_radix_taken(const message_head &head, const data_line &sample, radix taken,
                        const line_format &format, const options &opt);

// What became of the data lines: those left out and the first of them, or, where the input was
// read to its end, why no pair came out. The columns are those read, numbered from 1.
void report_lines(const message_head &head, const tally &t, const int column[2], bool read_to_end);

// A signal ended onscale before its input, with lines read and no pair written: without both
// ranges, pairs are written only once the input has ended.
void report_nothing_written(const message_head &head, long lines);

// The values at the four edges of the screen, with digits enough to tell neighbouring cells apart,
// written as the columns hold them.
void report_edges(const message_head &head, const frame &f, screen_size screen,
                  const column_kind kind[2], const char *time_format);

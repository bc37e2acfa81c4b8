// The data lines: what each comes to, its pair or why it is left out, and the tally of them.
#pragma once

#include "instant.h"
#include "number.h"
#include "options.h"
#include "text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Why a data line is left out.
enum fault : std::uint8_t {
  no_fault,
  too_long,
  too_few_fields,
  not_a_number,
  not_a_time,
  not_finite,
  not_a_latitude,
  out_of_range,
};

// What a data line comes to with one decimal mark: its pair's values, x then y, or why it is left
// out and for which column.
struct outcome {
  double v[2];
  fault why;
  std::uint8_t axis;
};

// A field's first bytes, as a message shows them, and its whole length.
struct token {
  char text[quoted_length];
  std::size_t len;
};

// What a column holds, numbers or times in a form, as the first value that is either shows it.
struct column_kind {
  bool known;
  time_form form;   // no_time_form for numbers
  int order;        // slashed dates: which comes first, once a number over 12 shows it, else -1
  int zone;         // the zone of the first value, in which values are written back
  double midnights; // times of day: the seconds of the midnights passed
  double latest;    // and the latest time of day, with them
};

// How the data lines are read: the separator, the columns from 1, 0 for the line's number, and
// what each holds.
struct line_format {
  char separator;
  int column[2];
  column_kind kind[2];
};

struct data_line {
  long line;       // its number in the input, from 1
  outcome with[2]; // with a decimal dot, then with a comma
  int shows;       // the mark with which alone a number of it reads, or -1
  int fields;      // how many fields it has, counted no further than the columns need
  token field[2];  // the columns' text, where the line is left out, or the mark decides it
  bool unsure[2];  // a slashed date read month first while no date has shown the order
};

// Reads the text of the data line numbered line, index among the data lines, with the mark, or
// with both where it is -1; what a column holds is settled by its first value that is a number or
// a time. Read with both, a number that reads two ways where only one falls inside the range given
// takes that one, and so does a slashed date.
data_line read_data_line(std::string_view text, long line, long index, line_format *format,
                         int mark, const options &opt);

// A data line longer than the bound, left out whatever the mark.
data_line too_long_line(long line);

// Whether the decimal mark changes what the line comes to.
bool depends_on_mark(const data_line &d);

// Whether the first line that holds data is a header: no column chosen holds a number or a time
// there.
bool is_header(std::string_view text, const line_format &format, const char *time_format);

// What is known of the data lines taken so far.
struct tally {
  long pairs;      // that came out
  long left_out;   // and that were left out
  data_line first; // the first left out
  int first_mark;  // and the mark it was taken with
  double lo[2];    // the smallest and largest values that came out, x then y
  double hi[2];
  int short_line_fields; // the most fields of a line too short for the columns
};

// Takes a data line into the tally with the mark; returns whether its pair comes out.
bool tally_line(tally *t, const data_line &d, decimal_mark mark);

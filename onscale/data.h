// The data lines: what each reads as, what it comes to once its readings are settled, and the tally
// of them.
#pragma once

#include "column.h"
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
  other_unit,
  empty_field,
};

// What a data line comes to: its pair's values, x then y, or why it is left out and for which
// column.
struct outcome {
  double v[2];
  fault why;
  std::uint8_t axis;
};

// A field's first bytes, as a message quotes them, and its whole length.
struct token {
  char text[quoted_length];
  std::size_t len;
};

// How the data lines are read: the separator, the columns from 1, 0 for the line's number, what
// each holds, and the ranges given, their slashed dates read in their column's order once it is
// settled.
struct line_format {
  char separator;
  int column[2];
  column_kind kind[2];
  double range[2][2];
};

// Starts the format for the options: the columns and the ranges as given.
line_format format_for(const options &opt);

// Reads the ends of a range again once its column's slashed dates are settled day first.
void settle_range(line_format *format, const options &opt, int axis);

// The frame's ends for each axis: the range given, or else lo and hi.
void range_or(const line_format &format, const options &opt, double lo[2], double hi[2]);

struct data_line {
  long line;          // its number in the input, from 1
  double as[2][2];    // each column read with a radix dot, then with a comma
  fault why[2][2];    // why each reading is no value, or no_fault
  int radix;          // the radix with which alone a number of it reads, or -1
  int order[2];       // the order a slashed date tells, reading one way only, or -1
  bool two_orders[2]; // a slashed date that reads as two dates, and is read month first
  int fields;         // how many fields it has, counted no further than the columns need
  token field[2];     // the columns' text, where the line may be left out or waits
};

// Reads the text of the data line numbered line, index among the data lines, with the radix given,
// or with both where it is -1; what a column holds is learnt from its first value that is a number
// or a time, and a slashed date is read in its column's order, where that is settled.
data_line read_data_line(std::string_view text, long line, long index, line_format *format,
                         int radix_given, const options &opt);

// A data line longer than the bound, left out whatever it holds.
data_line too_long_line(long line);

// What the line comes to with the radix and the orders of its column's slashed dates, as the
// format holds them once settled: its values, or the first column at fault.
outcome outcome_of(const data_line &d, int radix_used, const line_format &format,
                   const options &opt);

// Whether the radix changes what the line comes to.
bool depends_on_radix(const data_line &d, const line_format &format, const options &opt);

// Whether the first line that holds data is a header: no column chosen holds a number or a time
// there.
bool is_header(std::string_view text, const line_format &format, const char *time_format);

// What is known of the data lines taken so far.
struct tally {
  long pairs;      // that came out
  long left_out;   // and that were left out
  data_line first; // the first left out
  outcome why;     // and what it came to
  double lo[2];    // the smallest and largest values that came out, x then y
  double hi[2];
  int short_line_fields; // the most fields of a line too short for the columns
};

// Counts a data line that came to o; returns whether its pair comes out.
bool count_line(tally *t, const data_line &d, const outcome &o);

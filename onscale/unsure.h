// The readings still unsure: the radix of the numbers, and the order of the day and the month in
// the slashed dates of a column. Each is settled once, by the first line that tells it, before any
// pair that depends on it comes out: a line that reads more than one way waits, with the lines
// after it, until a line tells, or too many wait, or the input ends, when the default is taken and
// said. Where the pairs are kept until the input has ended, a slashed date need not wait: the
// pairs kept while its order is open are read again once it is settled.
#pragma once

#include "data.h"

#include <deque>

struct unsure_readings {
  int radix;              // -1 until settled
  bool radix_by_default;  // no number told it, and the default was taken
  data_line radix_sample; // the first line held that the radix decides, if any
  bool order_doubted[2];  // a slashed date has read as two dates while the order was open
  long order_told_by[2];  // the line whose date then told the order
  token order_sample[2];  // and its date
  bool order_by_default[2];
  long kept_open[2];          // pairs kept while the order was open, their dates read month first
  bool keep_open_orders;      // pairs are kept to the input's end, and need not wait for the order
  std::deque<data_line> held; // lines that wait, and all after them
};

// Starts with the radix given, or -1, and the orders the format holds.
void open_unsure(unsure_readings *u, int radix_given, bool keep_open_orders);

// Takes in a data line, read after those before it: settles what it tells, and holds it where it
// must wait. The lines that no longer wait come out of next_settled, in the order they were read.
void admit_line(unsure_readings *u, const data_line &d, line_format *format, const options &opt);

// Settles by default what is still open where lines wait for it: all of it where the input has
// ended (at_end), or where too many lines wait.
void settle_by_default(unsure_readings *u, line_format *format, const options &opt, bool at_end);

// Takes the next line that no longer waits, with what it comes to; false where none is left.
bool next_settled(unsure_readings *u, const line_format &format, const options &opt, data_line *d,
                  outcome *o);

// Notes that a pair comes out and is kept while the order of a slashed column may still be open.
void note_kept(unsure_readings *u, const line_format &format);

// Whether some kept pairs are read again now that the orders are settled.
bool rereads_kept(const unsure_readings &u, const line_format &format);

// Reads again the n kept pairs from number first on, once the orders are settled: a date read
// month first while its order was open is read day first where that is what was settled.
void reread_kept(const unsure_readings &u, const line_format &format, long first, double *pairs,
                 long n);

// The input read into data lines: the separator and the header, the columns named, what each
// column holds, and every line on through the readings still unsure, until it is settled.
#pragma once

#include "input.h"
#include "options.h"
#include "report.h"
#include "unsure.h"

#include <string>

struct data_source {
  line_source src;
  bool format_known;        // the first line that holds data, or the header, has been read
  std::string first_line;   // while no line names all the columns asked for by name, the first
                            // that names most of them
  long first_line_number;   // and its number, or 0
  int first_line_names;     // how many it names
  bool first_line_too_long; // it was too long to be held
  line_format format;
  bool kind_checked[2]; // what the column holds is known, and fits the options
  long data_lines;
  unsure_readings unsure;
};

// Starts reading the input, fd, for the options; where pairs are kept to the input's end, the
// order of slashed dates need not be settled before a pair comes out.
void open_reading(data_source *r, int fd, const options &opt, bool kept_to_the_end);

enum read_result : std::uint8_t {
  line_settled,    // a data line came out, settled
  wants_input,     // the input must be read further
  input_ended,     // the input has ended, and every line read came out
  input_failed,    // reading the input failed
  columns_unknown, // a column named is not in the header, or holds what the options do not take,
                   // which has been said
};

// Takes the next data line that is settled, with what it comes to.
read_result next_data_line(data_source *r, const options &opt, const message_head &head,
                           data_line *d, outcome *o);

// What onscale's command line asks for.
#pragma once

#include "instant.h"

// A column given by a name that the header gives, not yet found.
inline constexpr int named_column = -1;

struct options {
  const char *path = "-";                 // the file, "-" for standard input
  const char *column_arg[2] = {"1", "2"}; // the columns as given, x then y
  int column[2] = {1, 2};                 // their numbers from 1, 0 for the line's number among
                                          // the data lines, or named_column
  bool equal = false;                     // -e: a unit is as long across as down
  bool map = false;                       // -m: longitude and latitude, in degrees
  bool plot = false;                      // -p: trackplot draws the pairs, until Ctrl-C
  bool ranged[2] = {};                    // -x and -y: the range of values is given
  double range[2][2] = {};                // as lowest and highest
  time_form range_form[2] = {};           // and the form of the times it is written in, if it is
  int range_order[2] = {-1, -1};          // the order its slashed dates tell, or -1
  bool range_two_ways[2][2] = {};         // an end that reads as two dates, read month first
  const char *time_format = nullptr;      // -t: a strptime(3) format of dates and times
  int radix = -1;                         // -d: the radix character given, or -1
  char separator = 0;                     // -s: the separator given, or 0
};

// What read_command_line returns where onscale goes on to read.
inline constexpr int go_on = -1;

// Reads the command line; returns go_on, or the exit status once the help or a usage error is
// written.
int read_command_line(int argc, char **argv, options *opt);

// Whether each pair is written as soon as its line is read: both ranges are given.
inline bool streaming(const options &opt) {
  return opt.ranged[0] && opt.ranged[1];
}

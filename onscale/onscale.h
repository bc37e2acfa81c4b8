// onscale brings two columns of numbers onto trackplot's scale, for the terminal it runs on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The two ways files write numbers: with a decimal dot and commas between the thousands
// (1,234.5), or with a decimal comma and dots, blanks or no-break spaces between them (1.234,5).
enum decimal_mark : std::uint8_t { dot_mark, comma_mark };

// Why a data line is left out.
enum fault : std::uint8_t {
  no_fault,
  too_few_fields,
  not_a_number,
  not_finite,
  not_a_latitude,
  out_of_range,
};

// A field read as a number with each decimal mark: NaN where it is not one that way.
struct reading {
  double as[2];
};

// What is known of the data lines, read with one decimal mark.
struct tally {
  double lo[2]; // the smallest and largest values that come out, x then y
  double hi[2];
  long pairs;        // data lines whose pair comes out
  long left_out;     // and those left out
  long first_line;   // the line of the first left out, from 1
  fault why;         // why it was
  int axis;          // in which column, 0 for x, 1 for y
  std::string token; // what that column held
};

// Everything onscale knows between its steps; exactly one exists per run.
struct onscale_state {
  // The command line.
  const char *path;          // the file, "-" for standard input
  const char *column_arg[2]; // the columns as given, x then y
  int column[2];             // their numbers from 1, 0 for the line's number among the data lines
  bool equal;                // -e: a unit is as long across as down
  bool map;                  // -m: longitude and latitude, in degrees
  bool ranged[2];            // -x and -y: the range of values is given
  double range[2][2];        // as lowest and highest
  int mark;                  // -d: the decimal mark given, or -1
  // The screen's size, as trackplot takes it.
  int rows;
  int cols;
  // The input, read a line at a time.
  int fd;
  std::vector<char> buf; // what has been read; it grows to hold the longest line
  std::size_t start;     // the lines not yet taken
  std::size_t end;
  std::size_t searched;  // where the search for the next line break goes on
  bool at_end;           // the input has ended
  int error;             // errno of a failed read, 0 otherwise
  bool streaming;        // each pair is written as soon as its line is read
  long line;             // the latest line's number, from 1
  long data_lines;       // data lines so far, the header and comments not counted
  char separator;        // between the fields; ' ' for any run of blanks; 0 before the first
  int evidence;          // the decimal mark that the first number to show one uses, or -1
  int widest;            // the most fields a line too short for the columns had
  tally tallies[2];      // for each decimal mark
  std::vector<char> out; // pairs not yet written
  int temp_fd;           // the pairs between the two passes
};

// Reads the command line into the record; returns 0 to go on, or the exit status after the help
// or a usage error, which are written.
int read_command_line(onscale_state *st, int argc, char **argv);

// Starts a message on standard error: the file and the columns, as the command line gave them.
void begin_message(const onscale_state *st);

// Says what became of the data lines, and returns the exit status.
int report_end(const onscale_state *st);

// The decimal mark the numbers are read with: the one given, or the one the first number to show
// one uses, or else a comma where the fields are separated by semicolons, and a dot otherwise.
decimal_mark mark_of(const onscale_state *st);

// Writes the pairs pending; where output cannot be written, onscale ends with status 1.
void write_out(onscale_state *st);

// Reads the next line into line and len, without its line break; false at the end of the input.
// Pending output is written before any read that may wait.
bool next_line(onscale_state *st, const char **line, std::size_t *len);

// The separator a line uses outside double quotes: a semicolon, a tab or a comma, whichever comes
// first in that order, and otherwise blanks.
char separator_of(const char *line, std::size_t len);

// Finds the fields of a line; want[i] is a field's number from 1 and gets its text, or stays
// empty. Returns how many fields the line has, counting no further than the largest wanted.
int split_line(const onscale_state *st, const char *line, std::size_t len, const int want[2],
               std::string_view text[2]);

// Every field of a line, unquoted, for the header's names.
std::vector<std::string> all_fields(const onscale_state *st, const char *line, std::size_t len);

// Reads a field as a number with each decimal mark.
reading read_number(std::string_view field);

// Takes the screen's size as trackplot takes it: the terminal's, or LINES and COLUMNS where they
// are numbers, and 80x24 where neither says.
void size_screen(onscale_state *st);

// Where the pairs are placed: the values at the edges of the screen, x then y, and the part of
// each axis that the data takes, centred on it.
struct frame {
  double lo[2];
  double hi[2];
  double share[2];
};

// Works out the part of each axis that the data takes: all of both, unless a unit is to be as
// long across as down.
void shape(const onscale_state *st, frame *f);

// Where a value falls on the scale of the screen's axis, x or y; y is turned over, so that larger
// values are higher up.
int place(const onscale_state *st, const frame *f, int axis, double v);

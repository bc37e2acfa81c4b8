// The fields of a line of CSV as spreadsheets write it, or of columns separated by blanks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the separator is taken to be where fields are separated by any run of blanks and tabs; and
// where, as in a log, a date followed by its time of day after a blank makes one field.
inline constexpr char blanks = ' ';
inline constexpr char dated_blanks = '\x01';

// The separator that a line uses outside double quotes: a semicolon, else a tab, else a comma,
// unless, in a line whose fields are separated by blanks, every comma stands between two digits
// of a number, where it is the radix, or of a time and its fraction of a second, as logs write
// them; otherwise blanks.
char separator_of(std::string_view line);

// Whether, in a line whose fields are separated by blanks, a date is followed by its time of day.
bool has_dated_blanks(std::string_view line);

// A field: its text, without the blanks around it and inside its quotes, if it has them.
struct field {
  std::string_view text;
  bool quoted;
};

// The field at the start of rest; rest is left after it and its separator, and rest.data() is
// null after the last field. Between blanks, a field in double quotes or in square brackets, as
// web servers write their times, may hold blanks.
field next_field(std::string_view *rest, char separator);

// Finds the fields of a line; want[i] is a field's number from 1 and gets its text, or stays
// empty. Returns how many fields the line has, counting no further than the largest wanted.
int split_line(std::string_view line, char separator, const int want[2], std::string_view text[2]);

// A field as it reads, a doubled quote in a quoted one standing for one quote.
std::string unquoted(const field &f);

// The fields of a line as they read: a header's names.
std::vector<std::string> names_in(std::string_view line, char separator);

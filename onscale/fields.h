// The fields of a line of CSV as spreadsheets write it, or of columns separated by blanks.
#pragma once

#include <string>
#include <string_view>

// What the separator is taken to be where fields are separated by any run of blanks and tabs.
inline constexpr char blanks = ' ';

// The separator that a line uses outside double quotes: a semicolon, else a tab, else a comma,
// unless every comma stands between two digits of a number in a line whose fields are separated by
// blanks, where it is the radix; otherwise blanks.
char separator_of(std::string_view line);

// A field: its text, without the blanks around it and inside its quotes, if it has them.
struct field {
  std::string_view text;
  bool quoted;
};

// The field at the start of rest; rest is left after it and its separator, and rest.data() is
// null after the last field.
field next_field(std::string_view *rest, char separator);

// Finds the fields of a line; want[i] is a field's number from 1 and gets its text, or stays
// empty. Returns how many fields the line has, counting no further than the largest wanted.
int split_line(std::string_view line, char separator, const int want[2], std::string_view text[2]);

// A field as it reads, a doubled quote in a quoted one standing for one quote.
std::string unquoted(const field &f);

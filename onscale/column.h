// What a column holds, learnt from its first value that is a number or a time, and its numbers read
// with the unit it is written with.
#pragma once

#include "instant.h"
#include "number.h"
#include "unit.h"

#include <string_view>

// What a column holds, numbers or times in a form, as the first value that is either tells.
struct column_kind {
  bool known;
  time_form form;              // no_time_form for numbers
  int order;                   // slashed dates: which comes first, once settled, else -1
  int zone;                    // the zone of the first value, in which values are written back
  double midnights;            // times of day: the seconds of the midnights passed
  double latest;               // and the latest time of day, with them
  char unit[longest_unit + 1]; // numbers: the unit they are written with, as the first tells;
                               // empty for none
  bool unit_before;            // written before the number
  bool unit_spaced;            // with a blank between them
};

// Learns what a column holds where its value tells: a time in the form -t gives, whatever else the
// value could be read as; a number; or a time in a form of its own.
void learn_kind(column_kind *kind, std::string_view field, const char *time_format);

// Reads a number, written with its column's unit where it has one; other is set where the value is
// written with another unit, or with none where its column has one.
reading read_number_with_unit(const column_kind &kind, std::string_view field, int radix_given,
                              bool *other);

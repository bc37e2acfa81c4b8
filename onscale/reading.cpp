#include "reading.h"

#include "fields.h"

#include <algorithm>

namespace {

bool named(const options &opt) {
  return opt.column[0] == named_column || opt.column[1] == named_column;
}

bool is_blank_or_comment(std::string_view line) {
  const std::size_t at = line.find_first_not_of(" \t");
  return at == std::string_view::npos || line[at] == '#';
}

// Finds the columns asked for by name in the line: returns how many of them it names, and sets
// their numbers in the format where it names them all; *missing is the first it does not name. A
// line that names one twice is no header: -1 is returned, once it is said.
int find_named_columns(const options &opt, const message_head &head, std::string_view line,
                       long number, line_format *format, int *missing) {
  int named_here = 0;
  int column[2] = {format->column[0], format->column[1]};
  *missing = -1;
  const std::vector<std::string> names = names_in(line, format->separator);
  for (int axis = 0; axis < 2; ++axis) {
    if (opt.column[axis] != named_column)
      continue;
    int found[2] = {0, 0};
    for (int field = 1; field <= static_cast<int>(names.size()); ++field) {
      if (names[static_cast<std::size_t>(field - 1)] != opt.column_arg[axis])
        continue;
      if (found[0] == 0)
        found[0] = field;
      else if (found[1] == 0)
        found[1] = field;
    }
    if (found[1] != 0) {
      report_name_twice(head, axis, number, found);
      return -1;
    }
    named_here += found[0] != 0 ? 1 : 0;
    *missing = found[0] == 0 && *missing < 0 ? axis : *missing;
    column[axis] = found[0];
  }
  if (*missing < 0)
    std::copy(column, column + 2, format->column);
  return named_here;
}

// Looks for the header where the columns are named: the first line that names them all; the lines
// above it, a bank's account and period say, are not data. Of those, the first that names most of
// them is kept for a message, where none names them all. Returns whether the line is the header,
// or -1 where it names one twice.
int look_for_header(data_source *r, const options &opt, const message_head &head,
                    std::string_view line) {
  r->format.separator = opt.separator != 0 ? opt.separator : separator_of(line);
  int missing = 0;
  const int named_here = find_named_columns(opt, head, line, r->src.line, &r->format, &missing);
  if (named_here < 0)
    return -1;
  r->format_known = missing < 0;
  if (!r->format_known && (r->first_line_number == 0 || named_here > r->first_line_names)) {
    r->first_line = line;
    r->first_line_number = r->src.line;
    r->first_line_names = named_here;
    r->first_line_too_long = false;
  }
  return r->format_known ? 1 : 0;
}

// Says that no line names the columns asked for by name, as the line that names most of them
// shows.
void report_no_header(const data_source &r, const options &opt, const message_head &head) {
  if (r.first_line_too_long) {
    report_names_too_long(head, r.first_line_number);
    return;
  }
  line_format format = r.format;
  format.separator = opt.separator != 0 ? opt.separator : separator_of(r.first_line);
  int missing = 0;
  find_named_columns(opt, head, r.first_line, r.first_line_number, &format, &missing);
  report_missing_name(head, missing, r.first_line_number, names_in(r.first_line, format.separator));
}

// Reads the first line that holds data where no column is named: it decides the separator;
// returns whether it is a header.
bool read_first_line(data_source *r, const options &opt, std::string_view line) {
  r->format_known = true;
  r->format.separator = opt.separator != 0 ? opt.separator : separator_of(line);
  return is_header(line, r->format, opt.time_format);
}

// Whether what the columns hold, once known, fits the options: -e and -m take numbers, and a range
// is written as the values of its column are. Says why, once, where it does not.
bool kinds_fit(data_source *r, const options &opt, const message_head &head) {
  for (int axis = 0; axis < 2; ++axis) {
    const column_kind &kind = r->format.kind[axis];
    if (!kind.known || r->kind_checked[axis])
      continue;
    r->kind_checked[axis] = true;
    if (kind.form != no_time_form && opt.equal) {
      report_time_refused(head, axis, opt.map ? "-m" : "-e");
      return false;
    }
    if (opt.ranged[axis] && opt.range_form[axis] != kind.form) {
      report_range_unlike(head, axis);
      return false;
    }
  }
  return true;
}

// Reads the next line of the input into the unsure readings, or says why there is none.
read_result read_next_line(data_source *r, const options &opt, const message_head &head) {
  for (std::string_view line;;) {
    const line_status status = next_line(&r->src, &line);
    if (status == line_wanted)
      return wants_input;
    if (status == line_end && !r->format_known && named(opt) && r->first_line_number > 0) {
      report_no_header(*r, opt, head);
      return columns_unknown;
    }
    if (status == line_end || status == line_failed)
      return status == line_end ? input_ended : input_failed;
    if (status == line_read && is_blank_or_comment(line))
      continue;
    if (!r->format_known && named(opt)) {
      if (status == line_too_long && r->first_line_number == 0) {
        r->first_line_number = r->src.line;
        r->first_line_too_long = true;
      }
      const int header = status == line_read ? look_for_header(r, opt, head, line) : 0;
      if (header < 0)
        return columns_unknown;
      continue;
    }
    if (!r->format_known && status == line_read && read_first_line(r, opt, line))
      return line_settled;
    // A log's first line of data tells whether its dates and their times make one field.
    if (r->data_lines == 0 && status == line_read && opt.separator == 0 &&
        r->format.separator == blanks && has_dated_blanks(line))
      r->format.separator = dated_blanks;
    ++r->data_lines;
    const data_line d = status == line_too_long ? too_long_line(r->src.line)
                                                : read_data_line(line, r->src.line, r->data_lines,
                                                                 &r->format, r->unsure.radix, opt);
    if (!kinds_fit(r, opt, head))
      return columns_unknown;
    admit_line(&r->unsure, d, &r->format, opt);
    return line_settled;
  }
}

} // namespace

void open_reading(data_source *r, int fd, const options &opt, bool kept_to_the_end) {
  open_lines(&r->src, fd);
  r->format_known = false;
  r->first_line.clear();
  r->first_line_number = 0;
  r->first_line_names = 0;
  r->first_line_too_long = false;
  r->format = format_for(opt);
  r->kind_checked[0] = r->kind_checked[1] = false;
  r->data_lines = 0;
  open_unsure(&r->unsure, opt.radix, kept_to_the_end);
}

read_result next_data_line(data_source *r, const options &opt, const message_head &head,
                           data_line *d, outcome *o) {
  for (;;) {
    if (next_settled(&r->unsure, r->format, opt, d, o))
      return line_settled;
    const read_result got = read_next_line(r, opt, head);
    if (got == input_ended || got == input_failed)
      settle_by_default(&r->unsure, &r->format, opt, true);
    if (got != line_settled && next_settled(&r->unsure, r->format, opt, d, o))
      return line_settled;
    if (got != line_settled)
      return got;
  }
}

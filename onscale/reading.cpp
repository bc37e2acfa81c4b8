#include "reading.h"

#include "fields.h"

namespace {

bool named(const options &opt) {
  return opt.column[0] == named_column || opt.column[1] == named_column;
}

bool is_blank_or_comment(std::string_view line) {
  const std::size_t at = line.find_first_not_of(" \t");
  return at == std::string_view::npos || line[at] == '#';
}

// Finds the columns named in the header; false, once it is said, where one is not there or is
// there twice.
bool find_named_columns(const options &opt, const message_head &head, std::string_view header,
                        long line, line_format *format) {
  for (int axis = 0; axis < 2; ++axis) {
    if (opt.column[axis] != named_column)
      continue;
    int found[2] = {0, 0};
    int number = 0;
    for (std::string_view rest = header; rest.data() != nullptr;) {
      ++number;
      if (unquoted(next_field(&rest, format->separator)) != opt.column_arg[axis])
        continue;
      if (found[0] == 0)
        found[0] = number;
      else if (found[1] == 0)
        found[1] = number;
    }
    if (found[0] == 0) {
      report_missing_name(head, axis, line, header, format->separator);
      return false;
    }
    if (found[1] != 0) {
      report_name_twice(head, axis, line, found);
      return false;
    }
    format->column[axis] = found[0];
  }
  return true;
}

// Reads the first line that holds data: it decides the separator, and the columns where they are
// named; returns whether it is a header, or -1 where a column named is not there.
int read_first_line(data_source *r, const options &opt, const message_head &head,
                    std::string_view line) {
  r->format_known = true;
  r->format.separator = opt.separator != 0 ? opt.separator : separator_of(line);
  if (named(opt))
    return find_named_columns(opt, head, line, r->src.line, &r->format) ? 1 : -1;
  return is_header(line, r->format, opt.time_format) ? 1 : 0;
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
    if (status == line_end || status == line_failed)
      return status == line_end ? input_ended : input_failed;
    if (status == line_read && is_blank_or_comment(line))
      continue;
    if (!r->format_known && status == line_too_long && named(opt)) {
      report_names_too_long(head, r->src.line);
      return columns_unknown;
    }
    if (!r->format_known && status == line_read) {
      const int header = read_first_line(r, opt, head, line);
      if (header != 0)
        return header < 0 ? columns_unknown : line_settled;
    }
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

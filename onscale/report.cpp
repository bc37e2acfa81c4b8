#include "report.h"

#include "fields.h"
#include "input.h"
#include "output.h"
#include "scale.h"
#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void put_shown(const char *text) {
  write_escaped(stderr, text, std::strlen(text));
}

// Starts a message: the file and the columns, as the command line gave them.
void begin_message(const options &opt) {
  std::fputs("onscale: ", stderr);
  if (std::strcmp(opt.path, "-") == 0)
    std::fputs("standard input", stderr);
  else
    put_shown(opt.path);
  for (int axis = 0; axis < 2; ++axis) {
    std::fputs(axis == 0 ? ", columns " : " and ", stderr);
    put_shown(opt.column_arg[axis]);
  }
  std::fputs(": ", stderr);
}

void put_token(const token &t) {
  write_escaped(stderr, t.text, std::min(t.len, quoted_length));
  std::fputs(t.len > quoted_length ? "..." : "", stderr);
}

// Says where and why a line was left out.
void describe_left_out(const options &opt, const tally &t) {
  static const char *const why[] = {
      "",           "",           "no such field",  "not a number",
      "not a time", "not finite", "not a latitude", "outside the range given"};
  const outcome &o = t.first.with[t.first_mark];
  if (o.why == too_long) {
    std::fprintf(stderr, "line %ld: line too long, over %zu MiB\n", t.first.line,
                 longest_line >> 20);
    return;
  }
  std::fprintf(stderr, "line %ld, column ", t.first.line);
  put_shown(opt.column_arg[o.axis]);
  std::fprintf(stderr, ": %s", why[o.why]);
  if (o.why != too_few_fields) {
    std::fputs(": ", stderr);
    put_token(t.first.field[o.axis]);
  }
  std::fputs("\n", stderr);
}

// The shortest text that reads back as the value.
void put_value(double v) {
  char text[32];
  *std::to_chars(text, text + sizeof text - 1, v).ptr = '\0';
  std::fputs(text, stderr);
}

} // namespace

void report_error(const char *what, int error) {
  std::fprintf(stderr, "onscale: %s: %s\n", what, std::strerror(error));
}

bool report_written_output() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
    return true;
  report_error("standard output", errno);
  return false;
}

void report_no_terminal() {
  std::fputs("onscale: -p draws on a terminal, and standard output is none\n", stderr);
}

void report_no_trackplot() {
  std::fputs("onscale: -p draws with trackplot, which is neither beside onscale nor on the PATH\n",
             stderr);
}

void report_trackplot_failed(int error) {
  std::fprintf(stderr, "onscale: trackplot cannot be started: %s\n", std::strerror(error));
}

void report_input_error(const options &opt, int error) {
  begin_message(opt);
  std::fprintf(stderr, "%s\n", error == ENOENT ? "no such file" : std::strerror(error));
}

void report_kept_error(const options &opt, int error) {
  begin_message(opt);
  std::fputs("cannot keep the pairs in ", stderr);
  put_shown(temporary_folder());
  std::fprintf(stderr, ": %s\n", std::strerror(error));
}

void report_missing_name(const options &opt, int axis, long line, std::string_view header,
                         char separator) {
  begin_message(opt);
  std::fputs("no column is named ", stderr);
  put_shown(opt.column_arg[axis]);
  std::fprintf(stderr, "; line %ld names ", line);
  for (std::string_view rest = header; rest.data() != nullptr;) {
    const bool first = rest.data() == header.data();
    const std::string name = unquoted(take_field(&rest, separator));
    std::fputs(first ? "" : ", ", stderr);
    write_escaped(stderr, name.data(), name.size());
  }
  std::fputs("\n", stderr);
}

void report_names_too_long(const options &opt, long line) {
  begin_message(opt);
  std::fprintf(stderr, "line %ld, which should name the columns, is over %zu MiB long\n", line,
               longest_line >> 20);
}

void report_name_twice(const options &opt, int axis, long line, const int fields[2]) {
  begin_message(opt);
  std::fprintf(stderr, "line %ld names two fields ", line);
  put_shown(opt.column_arg[axis]);
  std::fprintf(stderr, ", %d and %d\n", fields[0], fields[1]);
}

void report_time_refused(const options &opt, int axis, const char *option) {
  begin_message(opt);
  std::fprintf(stderr, "%s takes numbers, and column ", option);
  put_shown(opt.column_arg[axis]);
  std::fputs(" holds dates or times\n", stderr);
}

void report_range_unlike(const options &opt, int axis) {
  begin_message(opt);
  std::fprintf(stderr, "the range of -%c is not written as column ", axis == 0 ? 'x' : 'y');
  put_shown(opt.column_arg[axis]);
  std::fputs(" writes its values\n", stderr);
}

void report_order_taken(const options &opt, int axis) {
  begin_message(opt);
  std::fputs("no date of column ", stderr);
  put_shown(opt.column_arg[axis]);
  std::fputs(" has a day over 12, and the month is taken first (-t %d/%m/%Y takes the day)\n",
             stderr);
}

void report_mark_taken(const options &opt, const data_line &example, decimal_mark taken) {
  const decimal_mark other = taken == dot_mark ? comma_mark : dot_mark;
  int axis = 0;
  while (axis < 1 && example.with[0].v[axis] == example.with[1].v[axis])
    ++axis;
  begin_message(opt);
  std::fprintf(stderr, "no number shows the decimal mark, and a %s is taken: line %ld, column ",
               taken == dot_mark ? "dot" : "comma", example.line);
  put_shown(opt.column_arg[axis]);
  std::fputs(": ", stderr);
  put_token(example.field[axis]);
  std::fputs(" is read as ", stderr);
  put_value(example.with[taken].v[axis]);
  std::fputs(", not ", stderr);
  put_value(example.with[other].v[axis]);
  std::fprintf(stderr, " (-d %c takes a %s)\n", other == dot_mark ? '.' : ',',
               other == dot_mark ? "dot" : "comma");
}

void report_lines(const options &opt, const tally &t, const int column[2], bool read_to_end) {
  if ((t.pairs > 0 || !read_to_end) && t.left_out == 0)
    return;
  begin_message(opt);
  if (t.pairs > 0 || !read_to_end) {
    if (t.left_out == 1)
      std::fputs("1 line left out: ", stderr);
    else
      std::fprintf(stderr, "%ld lines left out; the first, ", t.left_out);
    describe_left_out(opt, t);
    return;
  }
  const int last = std::max(column[0], column[1]);
  const outcome &o = t.first.with[t.first_mark];
  if (t.left_out > 0 && o.why == too_few_fields && t.short_line_fields < last) {
    std::fprintf(stderr, "column %d is past the last field; lines have %d at most\n", last,
                 t.short_line_fields);
    return;
  }
  std::fputs(t.left_out > 0 ? "no line has numbers in both; the first, "
                            : "no line has numbers in both\n",
             stderr);
  if (t.left_out > 0)
    describe_left_out(opt, t);
}

void report_edges(const options &opt, const frame &f, screen_size screen,
                  const column_kind kind[2]) {
  static const char *const edge[2][2] = {{"left", "right"}, {"bottom", "top"}};
  begin_message(opt);
  std::fputs("the screen's edges are", stderr);
  for (int axis = 0; axis < 2; ++axis) {
    const double first = value_at_edge(f, axis, false);
    const double last = value_at_edge(f, axis, true);
    // Two neighbouring cells differ by a cell's share of the axis.
    const int cells = axis == 0 ? screen.cols : screen.rows;
    const double cell = (last - first) * std::max(1, scale_for(cells)) / f.top[axis];
    const int digits = cell > 0 && std::isfinite(cell)
                           ? std::clamp(static_cast<int>(std::ceil(-std::log10(cell))), 0, 17)
                           : -1;
    for (int end = 0; end < 2; ++end) {
      const double v = end == 0 ? first : last;
      std::fprintf(stderr, "%s %s ", axis + end == 0 ? "" : ",", edge[axis][end]);
      if (kind[axis].form != no_time_form)
        std::fputs(write_time(v, kind[axis].form, std::max(kind[axis].order, month_first),
                              kind[axis].zone, opt.time_format, cell)
                       .c_str(),
                   stderr);
      else if (digits < 0)
        put_value(v);
      else
        std::fprintf(stderr, "%.*f", digits, v);
    }
  }
  std::fputs("\n", stderr);
}

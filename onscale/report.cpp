#include "report.h"

#include "input.h"
#include "kept.h"
#include "labels.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>

namespace {

void put_escaped(const char *text) {
  write_escaped(stderr, text, std::strlen(text));
}

void put_token(const token &t) {
  write_token(stderr, t.text, t.len);
}

void begin(const message_head &head) {
  std::fputs(head.prefix.c_str(), stderr);
}

// Says where and why a line was left out.
void describe_left_out(const message_head &head, const tally &t) {
  static const char *const why[] = {"",
                                    "",
                                    "no such field",
                                    "not a number",
                                    "not a time",
                                    "not finite",
                                    "not a latitude",
                                    "outside the range given",
                                    "in another unit",
                                    "empty"};
  const outcome &o = t.why;
  if (o.why == too_long) {
    std::fprintf(stderr, "line %ld: line too long, over %zu MiB\n", t.first.line,
                 longest_line >> 20);
    return;
  }
  std::fprintf(stderr, "line %ld, column ", t.first.line);
  put_escaped(head.column[o.axis]);
  std::fprintf(stderr, ": %s", why[o.why]);
  if (o.why != too_few_fields && o.why != empty_field) {
    std::fputs(": ", stderr);
    put_token(t.first.field[o.axis]);
  }
  std::fputs("\n", stderr);
}

} // namespace

message_head head_of(const options &opt) {
  char *text = nullptr;
  std::size_t size = 0;
  FILE *out = open_memstream(&text, &size);
  std::fputs("onscale: ", out);
  if (std::strcmp(opt.path, "-") == 0)
    std::fputs("standard input", out);
  else
    write_escaped(out, opt.path, std::strlen(opt.path));
  for (int axis = 0; axis < 2; ++axis) {
    std::fputs(axis == 0 ? ", columns " : " and ", out);
    write_escaped(out, opt.column_arg[axis], std::strlen(opt.column_arg[axis]));
  }
  std::fputs(": ", out);
  std::fclose(out);
  message_head head{std::string(text, size), {opt.column_arg[0], opt.column_arg[1]}};
  std::free(text);
  return head;
}

void report_failed(const char *what, int error) {
  std::fprintf(stderr, "onscale: %s: %s\n", what, std::strerror(error));
}

bool report_written_output() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
    return true;
  report_failed("standard output", errno);
  return false;
}

void report_no_trackplot() {
  std::fputs("onscale: -p draws with trackplot, which is neither beside onscale nor on the PATH\n",
             stderr);
}

void report_trackplot_failed(int error) {
  std::fprintf(stderr, "onscale: trackplot cannot be started: %s\n", std::strerror(error));
}

void report_drawing_ended(const drawing &d) {
  if (WIFSIGNALED(d.status))
    std::fprintf(stderr, "onscale: trackplot ended by signal %d (%s)\n", WTERMSIG(d.status),
                 strsignal(WTERMSIG(d.status)));
  else
    std::fprintf(stderr, "onscale: trackplot ended with status %d\n", WEXITSTATUS(d.status));
}

void report_input_error(const message_head &head, int error) {
  begin(head);
  std::fprintf(stderr, "%s\n", error == ENOENT ? "no such file" : std::strerror(error));
}

void report_kept_error(const message_head &head, int error) {
  begin(head);
  std::fputs("cannot keep the pairs in ", stderr);
  put_escaped(temporary_folder());
  std::fprintf(stderr, ": %s\n", std::strerror(error));
}

void report_missing_name(const message_head &head, int axis, long line,
                         const std::vector<std::string> &names) {
  begin(head);
  std::fputs("no column is named ", stderr);
  put_escaped(head.column[axis]);
  std::fprintf(stderr, "; line %ld names ", line);
  for (std::size_t k = 0; k < names.size(); ++k) {
    std::fputs(k == 0 ? "" : ", ", stderr);
    write_escaped(stderr, names[k].data(), names[k].size());
  }
  std::fputs("\n", stderr);
}

void report_names_too_long(const message_head &head, long line) {
  begin(head);
  std::fprintf(stderr, "line %ld, which should name the columns, is over %zu MiB long\n", line,
               longest_line >> 20);
}

void report_name_twice(const message_head &head, int axis, long line, const int fields[2]) {
  begin(head);
  std::fprintf(stderr, "line %ld names two fields ", line);
  put_escaped(head.column[axis]);
  std::fprintf(stderr, ", %d and %d\n", fields[0], fields[1]);
}

void report_time_refused(const message_head &head, int axis, const char *option) {
  begin(head);
  std::fprintf(stderr, "%s takes numbers, and column ", option);
  put_escaped(head.column[axis]);
  std::fputs(" holds dates or times\n", stderr);
}

void report_range_unlike(const message_head &head, int axis) {
  begin(head);
  std::fprintf(stderr, "the range of -%c is not written as column ", axis == 0 ? 'x' : 'y');
  put_escaped(head.column[axis]);
  std::fputs(" writes its values\n", stderr);
}

void report_order_taken(const message_head &head, int axis) {
  begin(head);
  std::fputs("no date of column ", stderr);
  put_escaped(head.column[axis]);
  std::fputs(" has a day over 12, and the month is taken first (-t %d/%m/%Y takes the day)\n",
             stderr);
}

void report_order_told(const message_head &head, int axis, int order, long line,
                       const token &date) {
  begin(head);
  std::fputs("the dates of column ", stderr);
  put_escaped(head.column[axis]);
  std::fprintf(stderr,
               " are read %s first, as line %ld tells: ", order == day_first ? "day" : "month",
               line);
  put_token(date);
  std::fputs("\n", stderr);
}

void report_radix_taken(const message_head &head, const data_line &sample, radix taken,
                        const line_format &format, const options &opt) {
  const radix other = taken == radix_dot ? radix_comma : radix_dot;
  const outcome with[2] = {outcome_of(sample, radix_dot, format, opt),
                           outcome_of(sample, radix_comma, format, opt)};
  const int axis = with[0].v[0] == with[1].v[0] ? 1 : 0;
  begin(head);
  std::fprintf(stderr, "no number shows the decimal mark, and a %s is taken: line %ld, column ",
               taken == radix_dot ? "dot" : "comma", sample.line);
  put_escaped(head.column[axis]);
  std::fputs(": ", stderr);
  put_token(sample.field[axis]);
  std::fprintf(stderr, " is read as %s, not %s (-d %c takes a %s)\n",
               shortest(with[taken].v[axis]).c_str(), shortest(with[other].v[axis]).c_str(),
               other == radix_dot ? '.' : ',', other == radix_dot ? "dot" : "comma");
}

void report_lines(const message_head &head, const tally &t, const int column[2], bool read_to_end) {
  if ((t.pairs > 0 || !read_to_end) && t.left_out == 0)
    return;
  begin(head);
  if (t.pairs > 0 || !read_to_end) {
    if (t.left_out == 1)
      std::fputs("1 line left out: ", stderr);
    else
      std::fprintf(stderr, "%ld lines left out; the first, ", t.left_out);
    describe_left_out(head, t);
    return;
  }
  const int last = std::max(column[0], column[1]);
  if (t.left_out > 0 && t.why.why == too_few_fields && t.short_line_fields < last) {
    std::fprintf(stderr, "column %d is past the last field; lines have %d at most\n", last,
                 t.short_line_fields);
    return;
  }
  std::fputs(t.left_out > 0 ? "no line has numbers in both; the first, "
                            : "no line has numbers in both\n",
             stderr);
  if (t.left_out > 0)
    describe_left_out(head, t);
  // A column that reads neither as numbers nor as times may hold times of a form -t reads.
  if (t.left_out > 0 && t.why.why == not_a_number)
    std::fputs("onscale: for dates or times of another form, -t gives it, as -t '%d %b %Y %H:%M' "
               "reads 09 Dec 2026 08:00\n",
               stderr);
}

void report_nothing_written(const message_head &head, long lines) {
  begin(head);
  std::fprintf(stderr,
               "%ld line%s read, and no pair written: without -x and -y, the pairs are written "
               "once the input has ended\n",
               lines, lines == 1 ? "" : "s");
}

void report_edges(const message_head &head, const frame &f, screen_size screen,
                  const column_kind kind[2], const char *time_format) {
  static const char *const edge[2][2] = {{"left", "right"}, {"bottom", "top"}};
  begin(head);
  std::fputs("the screen's edges are", stderr);
  for (int axis = 0; axis < 2; ++axis) {
    const double cell = cell_span(f, axis, screen);
    for (int end = 0; end < 2; ++end)
      std::fprintf(
          stderr, "%s %s %s", axis + end == 0 ? "" : ",", edge[axis][end],
          value_text(value_at_edge(f, axis, end == 1), cell, kind[axis], time_format).c_str());
  }
  std::fputs("\n", stderr);
}

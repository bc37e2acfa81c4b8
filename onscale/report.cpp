#include "onscale.h"

#include "messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Says where and why the first line left out was.
void describe_first_left_out(const onscale_state *st, const tally *t) {
  static const char *const why[] = {"",           "no such field",  "not a number",
                                    "not finite", "not a latitude", "outside the range given"};
  std::fprintf(stderr, "line %ld, column ", t->first_line);
  write_shown(stderr, st->column_arg[t->axis], std::strlen(st->column_arg[t->axis]));
  std::fprintf(stderr, ": %s", why[t->why]);
  if (t->why != too_few_fields) {
    std::fputs(": ", stderr);
    write_shown(stderr, t->token.data(), std::min<std::size_t>(t->token.size(), 32));
    std::fputs(t->token.size() > 32 ? "..." : "", stderr);
  }
  std::fputs("\n", stderr);
}

} // namespace

// Starts a message: the file and the columns, as the command line gave them.
void begin_message(const onscale_state *st) {
  std::fputs("onscale: ", stderr);
  if (std::strcmp(st->path, "-") == 0)
    std::fputs("standard input", stderr);
  else
    write_shown(stderr, st->path, std::strlen(st->path));
  for (int axis = 0; axis < 2; ++axis) {
    std::fputs(axis == 0 ? ", columns " : " and ", stderr);
    write_shown(stderr, st->column_arg[axis], std::strlen(st->column_arg[axis]));
  }
  std::fputs(": ", stderr);
}

// Says what became of the data lines; returns the exit status.
int report_end(const onscale_state *st) {
  const tally *t = &st->tallies[mark_of(st)];
  const int last = std::max(st->column[0], st->column[1]);
  if (t->pairs > 0 && t->left_out == 0)
    return 0;
  begin_message(st);
  if (t->pairs > 0) {
    if (t->left_out == 1)
      std::fputs("1 line left out: ", stderr);
    else
      std::fprintf(stderr, "%ld lines left out; the first, ", t->left_out);
    describe_first_left_out(st, t);
    return 0;
  }
  if (t->left_out > 0 && t->why == too_few_fields && st->widest < last) {
    std::fprintf(stderr, "column %d is past the last field; lines have %d at most\n", last,
                 st->widest);
    return 1;
  }
  std::fputs(t->left_out > 0 ? "no line has numbers in both; the first, "
                             : "no line has numbers in both\n",
             stderr);
  if (t->left_out > 0)
    describe_first_left_out(st, t);
  return 1;
}

#include "onscale.h"

#include "messages.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

constexpr double no_number = std::numeric_limits<double>::quiet_NaN();

// Pairs kept between the passes are read back this many at a time.
constexpr std::size_t pairs_at_a_time = 4096;

int open_input(onscale_state *st) {
  st->fd = std::strcmp(st->path, "-") == 0 ? STDIN_FILENO : open(st->path, O_RDONLY | O_CLOEXEC);
  if (st->fd >= 0)
    return 0;
  begin_message(st);
  std::fprintf(stderr, "%s\n", errno == ENOENT ? "no such file" : std::strerror(errno));
  return 1;
}

// Opens the file that keeps the pairs between the passes, in TMPDIR or /tmp; it goes when closed.
int open_temp(onscale_state *st) {
  const char *dir = std::getenv("TMPDIR");
  std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/onscaleXXXXXX";
  st->temp_fd = mkstemp(path.data());
  if (st->temp_fd >= 0) {
    unlink(path.c_str());
    return 0;
  }
  begin_message(st);
  std::fprintf(stderr, "cannot keep the pairs in ");
  write_shown(stderr, path.data(), path.size() - 13);
  std::fprintf(stderr, ": %s\n", std::strerror(errno));
  return 1;
}

void write_pair(onscale_state *st, const frame *f, const double v[2]) {
  char text[24];
  char *p = std::to_chars(text, text + 11, place(st, f, 0, v[0])).ptr;
  *p++ = ' ';
  p = std::to_chars(p, p + 11, place(st, f, 1, v[1])).ptr;
  *p++ = '\n';
  st->out.insert(st->out.end(), text, p);
  if (st->out.size() >= 1 << 16)
    write_out(st);
}

// Notes a data line read with one decimal mark: its pair's values, or why it is left out.
void count(onscale_state *st, decimal_mark mark, fault why, int axis, std::string_view token,
           const double v[2]) {
  tally *t = &st->tallies[mark];
  if (why != no_fault) {
    if (t->left_out++ == 0) {
      t->first_line = st->line;
      t->why = why;
      t->axis = axis;
      t->token = token;
    }
    return;
  }
  for (int k = 0; k < 2; ++k) {
    t->lo[k] = t->pairs == 0 ? v[k] : std::min(t->lo[k], v[k]);
    t->hi[k] = t->pairs == 0 ? v[k] : std::max(t->hi[k], v[k]);
  }
  ++t->pairs;
}

// Why a value read with a decimal mark is left out, if it is.
fault fault_of(const onscale_state *st, int axis, double v) {
  if (std::isnan(v))
    return not_a_number;
  if (!std::isfinite(v))
    return not_finite;
  if (st->map && axis == 1 && std::fabs(v) > 90)
    return not_a_latitude;
  if (st->ranged[axis] && (v < st->range[axis][0] || v > st->range[axis][1]))
    return out_of_range;
  return no_fault;
}

// Reads a data line with both decimal marks; a pair left out one way is NaN that way.
void read_pair(onscale_state *st, const char *line, std::size_t len, double pair[2][2]) {
  ++st->data_lines;
  std::string_view text[2];
  const int fields = split_line(st, line, len, st->column, text);
  fault why[2] = {no_fault, no_fault};
  int axis_at_fault[2] = {0, 0};
  for (int axis = 0; axis < 2; ++axis) {
    reading r{{static_cast<double>(st->data_lines), static_cast<double>(st->data_lines)}};
    if (st->column[axis] > fields) {
      st->widest = std::max(st->widest, fields);
      r.as[0] = r.as[1] = no_number;
    } else if (st->column[axis] > 0) {
      r = read_number(text[axis]);
      if (st->evidence < 0 && std::isnan(r.as[dot_mark]) != std::isnan(r.as[comma_mark]))
        st->evidence = std::isnan(r.as[dot_mark]) ? comma_mark : dot_mark;
    }
    for (const decimal_mark mark : {dot_mark, comma_mark}) {
      pair[mark][axis] = r.as[mark];
      const fault f = st->column[axis] > fields ? too_few_fields : fault_of(st, axis, r.as[mark]);
      if (why[mark] == no_fault && f != no_fault) {
        why[mark] = f;
        axis_at_fault[mark] = axis;
      }
    }
  }
  for (const decimal_mark mark : {dot_mark, comma_mark}) {
    count(st, mark, why[mark], axis_at_fault[mark], text[axis_at_fault[mark]], pair[mark]);
    if (why[mark] != no_fault)
      pair[mark][0] = pair[mark][1] = no_number;
  }
}

// Whether the first line that holds data is a header: it names the columns, or one of them holds
// no number there. Columns named are found by their names; returns -1 where one is not there.
int take_header(onscale_state *st, const char *line, std::size_t len) {
  if (st->column[0] < 0 || st->column[1] < 0) {
    const std::vector<std::string> names = all_fields(st, line, len);
    for (int axis = 0; axis < 2; ++axis) {
      const auto named = std::find(names.begin(), names.end(), st->column_arg[axis]);
      if (st->column[axis] < 0 && named == names.end()) {
        begin_message(st);
        std::fputs("no column is named ", stderr);
        write_shown(stderr, st->column_arg[axis], std::strlen(st->column_arg[axis]));
        std::fprintf(stderr, "; line %ld names ", st->line);
        for (std::size_t k = 0; k < names.size(); ++k) {
          std::fputs(k > 0 ? ", " : "", stderr);
          write_shown(stderr, names[k].data(), names[k].size());
        }
        std::fputs("\n", stderr);
        return -1;
      }
      if (st->column[axis] < 0)
        st->column[axis] = static_cast<int>(named - names.begin()) + 1;
    }
    return 1;
  }
  std::string_view text[2];
  const int fields = split_line(st, line, len, st->column, text);
  for (int axis = 0; axis < 2; ++axis) {
    if (st->column[axis] == 0)
      continue;
    const reading r = read_number(text[axis]);
    if (st->column[axis] > fields || (std::isnan(r.as[0]) && std::isnan(r.as[1])))
      return 1;
  }
  return 0;
}

bool is_blank_or_comment(const char *line, std::size_t len) {
  std::size_t at = 0;
  while (at < len && (line[at] == ' ' || line[at] == '\t'))
    ++at;
  return at == len || line[at] == '#';
}

// Writes the pairs kept for the second pass to the temporary file.
bool keep(onscale_state *st, std::vector<double> *kept) {
  const char *p = reinterpret_cast<const char *>(kept->data());
  for (std::size_t left = kept->size() * sizeof(double); left > 0;) {
    const ssize_t n = write(st->temp_fd, p, left);
    if (n < 0 && errno != EINTR) {
      begin_message(st);
      std::fprintf(stderr, "cannot keep the pairs: %s\n", std::strerror(errno));
      return false;
    }
    p += n > 0 ? n : 0;
    left -= n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  kept->clear();
  return true;
}

// Reads every line. Where streaming, a pair is written as soon as its line is read; otherwise the
// pairs are kept for the second pass. Returns 1 where a line could not be read or a column is not
// named in the header, 0 otherwise.
int read_lines(onscale_state *st, const frame *live) {
  std::vector<double> kept;
  const char *line = nullptr;
  std::size_t len = 0;
  while (next_line(st, &line, &len)) {
    if (is_blank_or_comment(line, len))
      continue;
    if (st->separator == 0) {
      st->separator = separator_of(line, len);
      const int header = take_header(st, line, len);
      if (header < 0)
        return 1;
      if (header > 0)
        continue;
    }
    double pair[2][2];
    read_pair(st, line, len, pair);
    const double *chosen = pair[mark_of(st)];
    if (st->streaming && !std::isnan(chosen[0]))
      write_pair(st, live, chosen);
    if (!st->streaming)
      kept.insert(kept.end(), {pair[0][0], pair[0][1], pair[1][0], pair[1][1]});
    if (kept.size() >= 4 * pairs_at_a_time && !keep(st, &kept))
      return 1;
  }
  if (st->error != 0) {
    begin_message(st);
    std::fprintf(stderr, "%s\n", std::strerror(st->error));
    return 1;
  }
  return keep(st, &kept) ? 0 : 1;
}

// Reads the pairs kept back, places them between the smallest and the largest values, or the
// ranges given, and writes them.
int write_kept_pairs(onscale_state *st) {
  const decimal_mark mark = mark_of(st);
  frame f{};
  for (int axis = 0; axis < 2; ++axis) {
    f.lo[axis] = st->ranged[axis] ? st->range[axis][0] : st->tallies[mark].lo[axis];
    f.hi[axis] = st->ranged[axis] ? st->range[axis][1] : st->tallies[mark].hi[axis];
  }
  shape(st, &f);
  lseek(st->temp_fd, 0, SEEK_SET);
  std::vector<double> pairs(4 * pairs_at_a_time);
  // Each pair was kept as read with a dot, then as read with a comma.
  const std::size_t at = mark == dot_mark ? 0 : 2;
  ssize_t n = 0;
  while ((n = read(st->temp_fd, pairs.data(), pairs.size() * sizeof(double))) > 0)
    for (std::size_t k = 0; k + 4 <= static_cast<std::size_t>(n) / sizeof(double); k += 4)
      if (!std::isnan(pairs[k + at]))
        write_pair(st, &f, &pairs[k + at]);
  return n < 0 ? 1 : 0;
}

} // namespace

void write_out(onscale_state *st) {
  for (std::size_t at = 0; at < st->out.size();) {
    const ssize_t n = write(STDOUT_FILENO, st->out.data() + at, st->out.size() - at);
    if (n < 0 && errno != EINTR)
      std::exit(1);
    at += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  st->out.clear();
}

// The decimal mark the numbers are read with: the one given, or the one the first number to show
// one uses, or else a comma where the fields are separated by semicolons, and a dot otherwise.
decimal_mark mark_of(const onscale_state *st) {
  if (st->mark >= 0)
    return static_cast<decimal_mark>(st->mark);
  if (st->evidence >= 0)
    return static_cast<decimal_mark>(st->evidence);
  return st->separator == ';' ? comma_mark : dot_mark;
}

int main(int argc, char **argv) {
  onscale_state st{};
  st.path = "-";
  st.column_arg[0] = "1";
  st.column_arg[1] = "2";
  st.column[0] = 1;
  st.column[1] = 2;
  st.mark = -1;
  st.evidence = -1;
  st.temp_fd = -1;
  st.buf.resize(1 << 20);
  const int parsed = read_command_line(&st, argc, argv);
  if (parsed != 0)
    return parsed < 0 ? 0 : parsed;
  if (open_input(&st) != 0 || (!st.streaming && open_temp(&st) != 0))
    return 1;
  size_screen(&st);
  frame live{{st.range[0][0], st.range[1][0]}, {st.range[0][1], st.range[1][1]}, {}};
  shape(&st, &live);
  if (read_lines(&st, &live) != 0 || (!st.streaming && write_kept_pairs(&st) != 0))
    return 1;
  write_out(&st);
  return report_end(&st);
}

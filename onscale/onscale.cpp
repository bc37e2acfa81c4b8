// onscale brings two columns of numbers onto trackplot's scale, for the terminal it runs on.
#include "data.h"
#include "fields.h"
#include "input.h"
#include "interrupts.h"
#include "number.h"
#include "options.h"
#include "output.h"
#include "place.h"
#include "report.h"
#include "trackplot_run.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Lines held back, at most, until a number shows the decimal mark.
constexpr std::size_t most_held = 1000;

// The decimal mark as far as it is known, and the lines held until it is.
struct settling {
  int mark;                    // -1 until it is settled
  bool by_default;             // no number showed it, and the default was taken
  bool decided;                // and it decided what a line held came to
  data_line example;           // the first such line
  std::vector<data_line> held; // lines that wait for the mark, and all after them
};

// Where the pairs go as their lines are taken: out at once, placed as the ranges given place them,
// or kept until every line is read. With -p, out means to trackplot, started with the first pair.
struct pair_sink {
  bool streaming;
  frame live;
  std::unique_ptr<pair_text> out;
  std::unique_ptr<kept_pairs> kept;
  long kept_unsure[2]; // the first pairs kept, whose slashed dates were read month first unsure
  drawing draw;
};

// Waits for room in trackplot's pipe. A trackplot that a Ctrl-Z has stopped reads nothing more, and
// onscale stops with it: the Ctrl-Z, pending, cannot end the wait, and is looked for every tenth of
// a second.
void wait_to_send(int fd, drawing *draw) {
  pollfd p{fd, POLLOUT, 0};
  while (poll(&p, 1, 100) == 0)
    if (stop_asked()) {
      wait_for_drawing(draw);
      stop_as_asked();
    }
}

// Sends the pairs written on; with -p, trackplot is started with the first. False where they
// cannot go.
bool send(pair_sink *sink) {
  pair_text *out = sink->out.get();
  if (out->used > 0 && out->fd < 0 && !start_drawing(&sink->draw, &out->fd))
    out->error = errno;
  while (out->used > 0 && send_pairs(out) && out->used > 0)
    wait_to_send(out->fd, &sink->draw);
  return out->error == 0;
}

// Takes a line into the tally with the mark, and its pair, if it comes out, into the sink.
bool take_with(tally *t, pair_sink *sink, const data_line &d, decimal_mark mark) {
  if (!tally_line(t, d, mark))
    return true;
  const double *v = d.with[mark].v;
  for (int axis = 0; axis < 2 && !sink->streaming; ++axis)
    sink->kept_unsure[axis] += d.unsure[axis] ? 1 : 0;
  if (!sink->streaming)
    return keep_pair(sink->kept.get(), v);
  if (put_pair(sink->out.get(), place(sink->live, 0, v[0]), place(sink->live, 1, v[1])))
    return send(sink);
  return true;
}

// Settles the mark, and takes the lines held with it.
bool settle(settling *s, tally *t, pair_sink *sink, int mark) {
  s->mark = mark;
  bool taken = true;
  for (const data_line &d : s->held)
    taken = take_with(t, sink, d, static_cast<decimal_mark>(mark)) && taken;
  s->held.clear();
  return taken;
}

// Settles the mark by default, where lines wait for it.
bool settle_by_default(settling *s, tally *t, pair_sink *sink, char separator) {
  if (s->mark >= 0 || s->held.empty())
    return true;
  s->by_default = true;
  return settle(s, t, sink, default_mark(separator));
}

// Takes a data line: at once where the mark is settled or makes no difference to it and nothing
// waits; otherwise it waits, with all after it, until a number shows the mark or too many wait.
bool take_line(settling *s, tally *t, pair_sink *sink, const data_line &d, char separator) {
  bool taken = true;
  if (s->mark < 0 && d.shows >= 0)
    taken = settle(s, t, sink, d.shows);
  if (s->mark >= 0 || (s->held.empty() && !depends_on_mark(d)))
    return take_with(t, sink, d, static_cast<decimal_mark>(s->mark < 0 ? 0 : s->mark)) && taken;
  if (!s->decided && depends_on_mark(d)) {
    s->decided = true;
    s->example = d;
  }
  s->held.push_back(d);
  if (s->held.size() >= most_held)
    taken = settle_by_default(s, t, sink, separator) && taken;
  return taken;
}

bool named(const options &opt) {
  return opt.column[0] == named_column || opt.column[1] == named_column;
}

bool is_blank_or_comment(std::string_view line) {
  const std::size_t at = line.find_first_not_of(" \t");
  return at == std::string_view::npos || line[at] == '#';
}

// Finds the columns named in the header; false, once it is said, where one is not there or is
// there twice.
bool find_named_columns(const options &opt, std::string_view header, long line,
                        line_format *format) {
  for (int axis = 0; axis < 2; ++axis) {
    if (opt.column[axis] != named_column)
      continue;
    int found[2] = {0, 0};
    int number = 0;
    for (std::string_view rest = header; rest.data() != nullptr;) {
      ++number;
      if (unquoted(take_field(&rest, format->separator)) != opt.column_arg[axis])
        continue;
      if (found[0] == 0)
        found[0] = number;
      else if (found[1] == 0)
        found[1] = number;
    }
    if (found[0] == 0) {
      report_missing_name(opt, axis, line, header, format->separator);
      return false;
    }
    if (found[1] != 0) {
      report_name_twice(opt, axis, line, found);
      return false;
    }
    format->column[axis] = found[0];
  }
  return true;
}

// Why the reading ended.
enum reading_end : std::uint8_t {
  input_ended,
  input_failed,    // reading the input failed
  columns_unknown, // a column named is not in the header, or holds what the options do not take,
                   // which has been said
  kept_failed,     // the temporary file cannot take the pairs
  output_failed,   // the pairs cannot be written
  interrupted,     // a signal came, or trackplot has ended
};

// What the reading knows: the input, how its lines are read, the mark, the tally and where the
// pairs go.
struct reading_run {
  line_source src;
  bool format_known;
  line_format format;
  bool kind_checked[2]; // what the column holds is known, and fits the options
  long data_lines;
  settling settle;
  tally taken; // the data lines taken, with the mark they were taken with
  pair_sink sink;
};

// Takes the first line that holds data: it decides the separator, and the columns where they are
// named; returns whether it is a header, or -1 where a column named is not there.
int take_first_line(const options &opt, reading_run *r, std::string_view line) {
  r->format_known = true;
  r->format.separator = opt.separator != 0 ? opt.separator : separator_of(line);
  if (named(opt))
    return find_named_columns(opt, line, r->src.line, &r->format) ? 1 : -1;
  return is_header(line, r->format, opt.time_format) ? 1 : 0;
}

// Whether what the columns hold, once known, fits the options: -e and -m take numbers, and a range
// is written as the values of its column are. Says why, once, where it does not.
bool kinds_fit(const options &opt, reading_run *r) {
  for (int axis = 0; axis < 2; ++axis) {
    const column_kind &kind = r->format.kind[axis];
    if (!kind.known || r->kind_checked[axis])
      continue;
    r->kind_checked[axis] = true;
    if (kind.form != no_time_form && opt.equal) {
      report_time_refused(opt, axis, opt.map ? "-m" : "-e");
      return false;
    }
    if (opt.ranged[axis] && opt.range_form[axis] != kind.form) {
      report_range_unlike(opt, axis);
      return false;
    }
  }
  return true;
}

// Takes the next pending signal; 0 where none is. A Ctrl-Z reaches trackplot as well, and onscale
// stops only once trackplot has stopped: the shell, which waits for onscale alone, takes the
// terminal back as soon as onscale stops, and must find it handed back.
int take_interrupt(const interrupts &sig, drawing *draw) {
  int s = next_interrupt(sig);
  for (; s == SIGTSTP; s = next_interrupt(sig)) {
    wait_for_drawing(draw);
    stop_as_asked();
  }
  return s;
}

// Takes the pending signal into signal; returns whether it ends the reading: any but a change in a
// trackplot still drawing.
bool ends_reading(drawing *draw, const interrupts &sig, int *signal) {
  *signal = take_interrupt(sig, draw);
  return *signal == SIGCHLD ? drawing_ended(draw) : *signal != 0;
}

// Reads the lines to the end of the input, or until a signal, left in signal, ends the reading.
reading_end read_lines(const options &opt, reading_run *r, const interrupts &sig, int *signal) {
  for (std::string_view line;;) {
    const line_status status = next_line(&r->src, &line);
    if (status == line_wanted) {
      // Where each pair goes out as it comes, what is pending goes before a read that may wait.
      if (r->sink.streaming && !send(&r->sink))
        return output_failed;
      if (!fill_lines(&r->src, sig.fd) && ends_reading(&r->sink.draw, sig, signal))
        return interrupted;
      continue;
    }
    if (status == line_end || status == line_failed)
      return status == line_end ? input_ended : input_failed;
    if (status == line_read && is_blank_or_comment(line))
      continue;
    if (!r->format_known && status == line_too_long && named(opt)) {
      report_names_too_long(opt, r->src.line);
      return columns_unknown;
    }
    if (!r->format_known && status == line_read) {
      const int header = take_first_line(opt, r, line);
      if (header < 0)
        return columns_unknown;
      if (header > 0)
        continue;
    }
    ++r->data_lines;
    const data_line d = status == line_too_long ? too_long_line(r->src.line)
                                                : read_data_line(line, r->src.line, r->data_lines,
                                                                 &r->format, r->settle.mark, opt);
    if (!kinds_fit(opt, r))
      return columns_unknown;
    if (!take_line(&r->settle, &r->taken, &r->sink, d, r->format.separator))
      return r->sink.streaming ? output_failed : kept_failed;
  }
}

// Where the values are placed: between the ranges given, or else the smallest and largest values.
frame frame_for(const options &opt, const tally &t, screen_size screen) {
  double lo[2];
  double hi[2];
  for (int axis = 0; axis < 2; ++axis) {
    lo[axis] = opt.ranged[axis] ? opt.range[axis][0] : t.lo[axis];
    hi[axis] = opt.ranged[axis] ? opt.range[axis][1] : t.hi[axis];
  }
  return frame_for(lo, hi, screen, opt.equal, opt.map);
}

// Reads the next pairs kept, at most max, into pairs; taken counts those read before. Where a later
// date showed the day first, the slashed dates that were read month first before it, in the first
// pairs of the file, are read day first.
long next_kept(const pair_sink &sink, double *pairs, std::size_t max, const bool read_again[2],
               long *taken) {
  const long n = read_kept(sink.kept.get(), pairs, max);
  for (long k = 0; k < n; ++k, ++*taken)
    for (int axis = 0; axis < 2; ++axis)
      if (read_again[axis] && *taken < sink.kept_unsure[axis])
        pairs[2 * k + axis] = swap_day_and_month(pairs[2 * k + axis]);
  return n;
}

constexpr std::size_t pairs_at_a_time = 4096;

// Finds the smallest and the largest values again, where dates are read again day first.
bool find_range_again(pair_sink *sink, const bool read_again[2], tally *t) {
  if (!rewind_kept(sink->kept.get()))
    return false;
  std::vector<double> pairs(2 * pairs_at_a_time);
  long taken = 0;
  long n = 0;
  while ((n = next_kept(*sink, pairs.data(), pairs_at_a_time, read_again, &taken)) > 0)
    for (long k = 0; k < n; ++k)
      for (int axis = 0; axis < 2; ++axis) {
        const double v = pairs[static_cast<std::size_t>(2 * k + axis)];
        const bool first = taken - n + k == 0;
        t->lo[axis] = first ? v : std::min(t->lo[axis], v);
        t->hi[axis] = first ? v : std::max(t->hi[axis], v);
      }
  return n == 0;
}

// Places the pairs kept between the smallest and the largest values, or the ranges given, and
// sends them on.
reading_end send_kept_pairs(const frame &placed, const interrupts &sig, pair_sink *sink,
                            const bool read_again[2], int *signal) {
  if (!rewind_kept(sink->kept.get()))
    return kept_failed;
  std::vector<double> pairs(2 * pairs_at_a_time);
  long taken = 0;
  long n = 0;
  while ((n = next_kept(*sink, pairs.data(), pairs_at_a_time, read_again, &taken)) > 0) {
    for (long k = 0; k < 2 * n; k += 2)
      if (put_pair(sink->out.get(), place(placed, 0, pairs[k]), place(placed, 1, pairs[k + 1])) &&
          !send(sink))
        return output_failed;
    pollfd p{sig.fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && ends_reading(&sink->draw, sig, signal))
      return interrupted;
  }
  sink->kept->error = n < 0 ? errno : 0;
  if (n < 0)
    return kept_failed;
  return send(sink) ? input_ended : output_failed;
}

// Sends the pairs kept, placed once the slashed dates read month first before a later one showed
// the day first are read again.
reading_end send_kept(const options &opt, reading_run *r, const interrupts &sig, screen_size screen,
                      int *signal) {
  bool read_again[2];
  for (int axis = 0; axis < 2; ++axis)
    read_again[axis] = r->format.kind[axis].order == day_first && r->sink.kept_unsure[axis] > 0;
  if ((read_again[0] || read_again[1]) && !find_range_again(&r->sink, read_again, &r->taken))
    return kept_failed;
  r->sink.live = frame_for(opt, r->taken, screen);
  return send_kept_pairs(r->sink.live, sig, &r->sink, read_again, signal);
}

// Keeps the picture until a signal ends it, or trackplot ends by itself; returns the signal, or 0.
int hold_picture(drawing *draw, const interrupts &sig) {
  for (;;) {
    pollfd p{sig.fd, POLLIN, 0};
    poll(&p, 1, -1);
    const int s = take_interrupt(sig, draw);
    if (s == SIGCHLD && drawing_ended(draw))
      return 0;
    if (s != 0 && s != SIGCHLD && s != SIGPIPE)
      return s;
  }
}

bool output_writable() {
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

// Readies the run: where the pairs go, the input, the file that keeps the pairs and the signals.
// Says what failed, and returns false, if anything did.
bool start(const options &opt, const std::string &trackplot, reading_run *r, interrupts *sig) {
  if (opt.plot ? isatty(STDOUT_FILENO) == 0 : !output_writable()) {
    if (opt.plot)
      report_no_terminal();
    else
      report_error("standard output", EBADF);
    return false;
  }
  if (opt.plot && trackplot.empty()) {
    report_no_trackplot();
    return false;
  }
  const int fd =
      std::strcmp(opt.path, "-") == 0 ? STDIN_FILENO : open(opt.path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    report_input_error(opt, errno);
    return false;
  }
  open_lines(&r->src, fd);
  r->format.column[0] = opt.column[0];
  r->format.column[1] = opt.column[1];
  r->settle.mark = opt.mark;
  pair_sink *sink = &r->sink;
  sink->streaming = streaming(opt);
  sink->out = std::make_unique<pair_text>();
  sink->out->fd = opt.plot ? -1 : STDOUT_FILENO;
  sink->kept = std::make_unique<kept_pairs>();
  if (!sink->streaming && !open_kept(sink->kept.get())) {
    report_kept_error(opt, errno);
    return false;
  }
  if (!block_interrupts(sig, opt.plot)) {
    report_error("signalfd", errno);
    return false;
  }
  sink->draw.path = trackplot.c_str();
  sink->draw.blocked = sig->before;
  return true;
}

// Says why the reading or the writing failed, if either did; returns the signal that a reader gone
// ends onscale by, or 0.
int report_failure(const options &opt, const reading_run &r, reading_end end,
                   const interrupts &sig) {
  const int error = r.sink.out->error;
  if (end == input_failed)
    report_input_error(opt, r.src.error);
  else if (end == kept_failed)
    report_kept_error(opt, r.sink.kept->error);
  else if (end == output_failed && r.sink.draw.start_error != 0)
    report_trackplot_failed(r.sink.draw.start_error);
  else if (end == output_failed && error == EPIPE && sigismember(&sig.blocked, SIGPIPE) == 1)
    // A reader of the pairs that has gone, trackplot ended by a key or head done, ends onscale
    // by SIGPIPE, as it ends the programs of a pipeline.
    return opt.plot ? 0 : SIGPIPE;
  else if (end == output_failed)
    report_error("standard output", error);
  return 0;
}

// Says what became of the data lines and, after a picture, where its edges stand; returns the exit
// status.
int report_end(const options &opt, const reading_run &r, reading_end end, screen_size screen) {
  if (r.settle.by_default && r.settle.decided)
    report_mark_taken(opt, r.settle.example, static_cast<decimal_mark>(r.settle.mark));
  report_lines(opt, r.taken, r.format.column, end != interrupted);
  const bool pictured = drew_picture(r.sink.draw);
  for (int axis = 0; axis < 2; ++axis)
    if (r.format.kind[axis].form == slashed_form && r.format.kind[axis].order < 0 &&
        r.taken.pairs > 0)
      report_order_taken(opt, axis);
  if (pictured)
    report_edges(opt, r.sink.live, screen, r.format.kind);
  const bool failed = end != input_ended && end != interrupted;
  return r.taken.pairs > 0 && !failed && (pictured || !opt.plot) ? 0 : 1;
}

} // namespace

// Ends the output, and waits for trackplot to end where it draws it; returns the signal that ends
// onscale: the one that ended the reading, or an interrupt that came as the output ended.
int end_output(pair_sink *sink, const interrupts &sig, int signal) {
  // trackplot, its input at an end, blanks the screen and hands the terminal back, unless it has.
  if (sink->out->fd >= 0)
    close(sink->out->fd);
  // A Ctrl-Z as trackplot ends stops onscale with it.
  while (wait_for_drawing(&sink->draw))
    if (stop_asked())
      stop_as_asked();
  for (int s = 0;
       (signal == 0 || signal == SIGCHLD) && (s = take_interrupt(sig, &sink->draw)) != 0;)
    signal = s == SIGCHLD || s == SIGPIPE ? signal : s;
  return signal == SIGCHLD ? 0 : signal;
}

int main(int argc, char **argv) {
  options opt;
  const int parsed = read_command_line(argc, argv, &opt);
  if (parsed != go_on)
    return parsed;
  const std::string trackplot = opt.plot ? find_trackplot() : "";
  auto r = std::make_unique<reading_run>();
  interrupts sig{};
  if (!start(opt, trackplot, r.get(), &sig))
    return 1;
  const screen_size screen = size_screen();
  pair_sink *sink = &r->sink;
  sink->live = frame_for(opt, r->taken, screen);
  int signal = 0;
  reading_end end = read_lines(opt, r.get(), sig, &signal);
  if (end == columns_unknown)
    return 1;
  if (!settle_by_default(&r->settle, &r->taken, sink, r->format.separator))
    end = sink->streaming ? output_failed : kept_failed;
  if (end == input_ended && r->taken.pairs > 0 && !sink->streaming)
    end = send_kept(opt, r.get(), sig, screen, &signal);
  if (end == input_ended && !send(sink))
    end = output_failed;
  if (end == input_ended && sink->draw.pid > 0 && !drawing_ended(&sink->draw))
    signal = hold_picture(&sink->draw, sig);
  signal = end_output(sink, sig, signal);
  // A trackplot gone with its picture drawn, put away by Ctrl-C as it still drew, takes no more
  // pairs; that is no failure to write them.
  if (end == output_failed && sink->out->error == EPIPE && drew_picture(sink->draw))
    end = interrupted;
  if (signal != 0)
    never_stop_for_the_terminal();
  const int reader_gone = report_failure(opt, *r, end, sig);
  const int status = report_end(opt, *r, end, screen);
  // Ctrl-C is how a picture is put away; any other signal ends onscale by itself.
  if (!opt.plot || signal != SIGINT || !drew_picture(sink->draw))
    end_by_signal(reader_gone != 0 ? reader_gone : signal);
  return status;
}

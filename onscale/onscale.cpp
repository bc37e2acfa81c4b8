// onscale brings two columns of numbers onto trackplot's scale, for the terminal it runs on.
#include "job.h"
#include "options.h"
#include "output.h"
#include "run.h"
#include "signal_fd.h"
#include "terminal.h"
#include "text_picture.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The signals onscale takes itself: an interrupt, a request to terminate, a hangup and a reader of
// its output gone; and, where trackplot draws, trackplot's changes, a Ctrl-Z and a resize.
constexpr int taken_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD, SIGTSTP, SIGWINCH};
constexpr std::size_t taken_without_drawing = 4;

// Opens the input, "-" being standard input; where it is a regular file, says so in *file.
int open_input(const options &opt, bool *file) {
  const int fd =
      std::strcmp(opt.path, "-") == 0 ? STDIN_FILENO : open(opt.path, O_RDONLY | O_CLOEXEC);
  struct stat st = {};
  *file = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  return fd;
}

// Takes the signals; trackplot starts with the mask onscale started with. A child's end is heard,
// whatever its action was.
bool take_signals(run *r, bool draws) {
  if (draws)
    signal(SIGCHLD, SIG_DFL);
  sigset_t taken;
  r->signal_fd =
      open_signal_fd(taken_signals, draws ? std::size(taken_signals) : taken_without_drawing,
                     &taken, &r->out.draw.mask);
  if (r->signal_fd < 0) {
    report_failed("signalfd", errno);
    return false;
  }
  return true;
}

// Readies the run: the output, trackplot, the input, the signals, the way of the pairs, the file
// that keeps them and the picture's frame. Says what failed, and returns false, if anything did.
bool start_run(const options &opt, const std::string &trackplot, run *r) {
  if (!output_writable()) {
    report_failed("standard output", EBADF);
    return false;
  }
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  if (opt.plot && terminal && trackplot.empty()) {
    report_no_trackplot();
    return false;
  }
  bool file = false;
  const int fd = open_input(opt, &file);
  if (fd < 0) {
    report_input_error(r->head, errno);
    return false;
  }
  if (!take_signals(r, opt.plot && terminal))
    return false;
  struct sigaction interrupt = {};
  pairs_out *out = &r->out;
  out->plan =
      plan_for(opt, terminal, file,
               sigaction(SIGINT, nullptr, &interrupt) == 0 && interrupt.sa_handler != SIG_IGN);
  out->kept = std::make_unique<kept_pairs>();
  if (out->plan.keeps && !open_kept(out->kept.get())) {
    report_kept_error(r->head, errno);
    return false;
  }
  open_reading(&r->in, fd, opt, !out->plan.at_once);
  out->size = out->plan.as_text ? size_from_environment() : terminal_size();
  out->pic.size = out->size;
  out->draw.path = trackplot.c_str();
  out->draw.out.fd = -1;
  out->text = std::make_unique<pair_text>();
  open_pair_text(out->text.get(), STDOUT_FILENO);
  out->replay = -1;
  return true;
}

// Says why the run failed, where it did, and what trackplot left where it ended otherwise than as
// it should; returns whether it failed.
bool report_failure(const run &r, const saved_modes &saved) {
  const pairs_out &out = r.out;
  const drawing &d = out.draw;
  if (r.stop == run_input_error)
    report_input_error(r.head, r.in.src.error);
  else if (out.fault == out_kept_failed)
    report_kept_error(r.head, out.kept->error);
  else if (out.fault == out_start_failed)
    report_trackplot_failed(d.start_error);
  else if (out.fault == out_write_failed && (out.text->error != EPIPE || r.ending != SIGPIPE))
    report_failed("standard output", out.text->error);
  if (out.plan.draws && d.pid > 0 && drawing_failed(d)) {
    // Killed, or crashed, trackplot had no chance to hand the terminal back.
    const bool taken =
        WIFSIGNALED(d.status) && (WTERMSIG(d.status) == SIGINT || WTERMSIG(d.status) == SIGTERM);
    restore_terminal(saved, WIFSIGNALED(d.status) && !taken);
    report_drawing_ended(d);
    return true;
  }
  return r.stop != run_going || (out.fault != out_going && out.fault != out_drawing_ended);
}

// Writes the picture as text where one is put away: a copy below the command line, for the
// scrollback, or the picture that -p writes to a file.
void write_picture(run *r) {
  pairs_out *out = &r->out;
  const bool copy = out->plan.draws && out->draw.pid > 0 && r->ending != SIGHUP;
  if (r->count.pairs == 0 || (!copy && !out->plan.as_text))
    return;
  screen_size size = out->size;
  // Room for what is said after the copy, and the shell's prompt.
  if (copy && size.rows > 8)
    size.rows -= 3;
  if (!write_text_picture(stdout, out->pic, out->kept.get(), r->in.unsure, r->in.format, *r->opt,
                          size))
    report_kept_error(r->head, out->kept->error);
  else
    report_written_output();
}

// Says what became of the data lines: the readings taken by default, the lines left out, and after
// a picture where its edges stand.
void report_lines_and_edges(const run &r, bool pictured) {
  const unsure_readings &u = r.in.unsure;
  if (u.radix_by_default)
    report_radix_taken(r.head, u.radix_sample, static_cast<radix>(u.radix), r.in.format, *r.opt);
  for (int axis = 0; axis < 2; ++axis) {
    if (u.order_by_default[axis] && r.count.pairs > 0)
      report_order_taken(r.head, axis);
    else if (u.order_told_by[axis] > 0)
      report_order_told(r.head, axis, r.in.format.kind[axis].order, u.order_told_by[axis],
                        u.order_sample[axis]);
  }
  report_lines(r.head, r.count, r.in.format.column, r.ending == 0);
  if (r.ending != 0 && !r.opt->plot && !r.out.plan.at_once && !r.read_all)
    report_nothing_written(r.head, r.count.pairs + r.count.left_out);
  if (pictured)
    report_edges(r.head, r.out.pic.placed, r.out.pic.size, r.in.format.kind, r.opt->time_format);
}

// Ends the run: trackplot ended, the picture written as text where it is put away, and everything
// said; returns the exit status, or ends onscale by the signal that ended the run.
int finish(run *r, const saved_modes &saved) {
  end_drawing(r->signal_fd, &r->out, *r->opt, &r->ending);
  // Where a signal gave the terminal to the shell, what is said is written all the same.
  if (r->ending != 0)
    hold_sigttou();
  const pairs_plan &plan = r->out.plan;
  const bool failed = report_failure(*r, saved);
  const bool pictured = !failed && (plan.as_text || (plan.draws && r->out.draw.pid > 0));
  if (!failed)
    write_picture(r);
  report_lines_and_edges(*r, pictured && plan.draws);
  // Ctrl-C is how a picture is put away; any other signal ends onscale by itself.
  const bool put_away = r->opt->plot && r->ending == SIGINT && pictured;
  if (!put_away)
    end_by_signal(r->ending);
  return failed || r->count.pairs == 0 || (r->opt->plot && !pictured) ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
  options opt;
  const int parsed = read_command_line(argc, argv, &opt);
  if (parsed != go_on)
    return parsed;
  const std::string trackplot = opt.plot ? find_trackplot() : "";
  auto r = std::make_unique<run>();
  r->opt = &opt;
  r->head = head_of(opt);
  if (!start_run(opt, trackplot, r.get()))
    return 1;
  const saved_modes saved = save_modes();
  run_until_done(r.get());
  if (r->stop == run_no_columns)
    return 1;
  return finish(r.get(), saved);
}

#include "job.h"

#include "signal_fd.h"
#include "terminal.h"

#include <poll.h>

namespace {

void wait_for_signal(int signal_fd) {
  pollfd p{signal_fd, POLLIN, 0};
  poll(&p, 1, -1);
}

// Stops onscale with trackplot, for a Ctrl-Z: trackplot hands the terminal back and stops first,
// continued where something else had stopped it, so that the shell, which waits for onscale, takes
// the terminal back only once trackplot has handed it back. Both go on together. A signal that
// ends the run, while trackplot stops, is noted in *ending, and nothing stops.
void stop_together(int signal_fd, drawing *d, bool from_terminal, int *ending) {
  // A Ctrl-Z reaches trackplot from the terminal; passed on as well, it would stop it again after
  // fg.
  if (d->pid > 0 && !d->ended && (!from_terminal || d->stopped))
    pass_to_drawing(d, SIGTSTP);
  while (d->pid > 0 && !d->ended && !d->stopped && *ending == 0) {
    wait_for_signal(signal_fd);
    for (int sig = next_signal(signal_fd); sig != 0; sig = next_signal(signal_fd))
      if (sig == SIGCHLD)
        hear_drawing(d);
      else if (sig != SIGTSTP && sig != SIGWINCH && sig != SIGPIPE)
        *ending = sig;
  }
  if (*ending != 0)
    return;
  pass_on(SIGTSTP);
  hear_drawing(d);
  if (d->stopped)
    pass_to_drawing(d, SIGCONT);
}

// The terminal has a new size: the picture is placed for it and drawn anew, once it has pairs.
void follow_size(pairs_out *out, const options &opt) {
  const screen_size size = terminal_size();
  if (size.rows == out->size.rows && size.cols == out->size.cols)
    return;
  out->size = size;
  resize_picture(&out->pic, size, opt);
  out->redraw = out->redraw || out->draw.pid != 0 || out->pic.pairs > 0;
}

} // namespace

void answer_signals(int signal_fd, pairs_out *out, const options &opt, int *ending) {
  bool from_terminal = false;
  for (int sig = next_signal(signal_fd, &from_terminal); sig != 0;
       sig = next_signal(signal_fd, &from_terminal)) {
    if (sig == SIGCHLD)
      hear_drawing(&out->draw);
    else if (sig == SIGTSTP)
      stop_together(signal_fd, &out->draw, from_terminal, ending);
    else if (sig == SIGWINCH)
      follow_size(out, opt);
    // A reader of the pairs gone is trackplot's end, where it draws them.
    else if (*ending == 0 && (sig != SIGPIPE || !out->plan.draws))
      *ending = sig;
  }
  // trackplot ends by itself only for a fault, or by a signal that the run hears too.
  if (out->plan.draws && out->draw.pid > 0 && out->draw.ended && !out->redraw &&
      out->fault == out_going)
    out->fault = out_drawing_ended;
}

void end_drawing(int signal_fd, pairs_out *out, const options &opt, int *ending) {
  // A signal that came as the run stopped, an interrupt that also ended the input or a reader of
  // the pairs gone, ends it as well.
  out->redraw = false;
  answer_signals(signal_fd, out, opt, ending);
  drawing *d = &out->draw;
  if (*ending != 0 && *ending != SIGPIPE)
    pass_to_drawing(d, *ending);
  end_drawing_input(d);
  while (d->pid > 0 && !d->ended) {
    wait_for_signal(signal_fd);
    bool from_terminal = false;
    for (int sig = next_signal(signal_fd, &from_terminal); sig != 0;
         sig = next_signal(signal_fd, &from_terminal)) {
      if (sig == SIGCHLD) {
        hear_drawing(d);
        // Stopped from outside as the signal that ends it came, it is continued to take it.
        if (d->stopped)
          pass_to_drawing(d, SIGCONT);
      } else if (sig == SIGTSTP)
        stop_together(signal_fd, d, from_terminal, ending);
      else if (sig != SIGWINCH && sig != SIGPIPE && (*ending == 0 || *ending == sig))
        pass_to_drawing(d, *ending = sig);
    }
  }
}

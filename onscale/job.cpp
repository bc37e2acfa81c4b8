#include "job.h"

#include "signal_fd.h"
#include "terminal.h"

#include <poll.h>

namespace {

// Stops onscale with trackplot, for a Ctrl-Z: trackplot hands the terminal back and stops first,
// continued where something else had stopped it, so that the shell, which waits for onscale, takes
// the terminal back only once trackplot has handed it back. Both go on together.
void stop_together(run *r, bool from_terminal) {
  drawing *d = &r->draw;
  // A Ctrl-Z reaches trackplot from the terminal; passed on as well, it would stop it again after
  // fg.
  if (d->pid > 0 && !d->ended && (!from_terminal || d->stopped))
    pass_to_drawing(d, SIGTSTP);
  while (d->pid > 0 && !d->ended && !d->stopped && r->ending == 0) {
    pollfd p{r->signal_fd, POLLIN, 0};
    poll(&p, 1, -1);
    for (int sig = next_signal(r->signal_fd); sig != 0; sig = next_signal(r->signal_fd))
      if (sig == SIGCHLD)
        hear_drawing(d);
      else if (sig != SIGTSTP && sig != SIGWINCH && sig != SIGPIPE)
        r->ending = sig;
  }
  if (r->ending != 0)
    return;
  pass_on(SIGTSTP);
  hear_drawing(d);
  if (d->stopped)
    pass_to_drawing(d, SIGCONT);
}

// The terminal has a new size: the picture is placed for it and drawn anew, once it has pairs.
void follow_size(run *r) {
  const screen_size size = terminal_size();
  if (size.rows == r->size.rows && size.cols == r->size.cols)
    return;
  r->size = size;
  if (r->draw.pid == 0 && r->pic.pairs == 0)
    return;
  resize_picture(&r->pic, size, *r->opt);
  r->redraw = true;
}

// Answers a signal taken: trackplot's change, a Ctrl-Z, a resize; or notes the first that ends the
// run. A reader of the pairs gone is trackplot's end, where it draws them.
void answer_signal(run *r, int sig, bool from_terminal) {
  if (sig == SIGCHLD)
    hear_drawing(&r->draw);
  else if (sig == SIGTSTP)
    stop_together(r, from_terminal);
  else if (sig == SIGWINCH)
    follow_size(r);
  else if (r->ending == 0 && (sig != SIGPIPE || !r->plan.draws))
    r->ending = sig;
}

} // namespace

void answer_signals(run *r) {
  bool from_terminal = false;
  for (int sig = next_signal(r->signal_fd, &from_terminal); sig != 0;
       sig = next_signal(r->signal_fd, &from_terminal))
    answer_signal(r, sig, from_terminal);
  // trackplot ends by itself only for a fault, or by a signal that the run hears too.
  if (r->plan.draws && r->draw.pid > 0 && r->draw.ended && !r->redraw && r->stop == run_done)
    r->stop = run_drawing_end;
}

void end_drawing(run *r) {
  // A signal that came as the run stopped, an interrupt that also ended the input or a reader of
  // the pairs gone, ends it as well.
  r->redraw = false;
  answer_signals(r);
  drawing *d = &r->draw;
  if (r->ending != 0 && r->ending != SIGPIPE)
    pass_to_drawing(d, r->ending);
  end_drawing_input(d);
  while (d->pid > 0 && !d->ended) {
    pollfd p{r->signal_fd, POLLIN, 0};
    poll(&p, 1, -1);
    bool from_terminal = false;
    for (int sig = next_signal(r->signal_fd, &from_terminal); sig != 0;
         sig = next_signal(r->signal_fd, &from_terminal)) {
      if (sig == SIGCHLD)
        hear_drawing(d);
      else if (sig == SIGTSTP)
        stop_together(r, from_terminal);
      else if (sig != SIGWINCH && sig != SIGPIPE && (r->ending == 0 || r->ending == sig))
        pass_to_drawing(d, r->ending = sig);
    }
  }
}

#include "signals.h"

#include "screen.h"
#include "signal_fd.h"

#include <iterator>

namespace {

constexpr int taken_by_the_run[] = {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH};

} // namespace

int block_signals(plot_state *ps) {
  ps->signal_fd =
      open_signal_fd(taken_by_the_run, std::size(taken_by_the_run), &ps->blocked, nullptr);
  // Curses ignores SIGTSTP around every update, which discards one that is pending, unless it
  // finds it ignored when it starts. Once blocked, it is pending whatever its action.
  if (sigismember(&ps->blocked, SIGTSTP) == 1)
    signal(SIGTSTP, SIG_IGN);
  return ps->signal_fd < 0 ? -1 : 0;
}

void reclaim_signals(const plot_state *ps) {
  // Curses has put handlers of its own on SIGINT and SIGTERM, which never ran, as both are
  // blocked. A default action put back discards none that is pending.
  for (const int sig : {SIGINT, SIGTERM, SIGTSTP})
    if (sigismember(&ps->blocked, sig) == 1)
      signal(sig, SIG_DFL);
}

int answer_signals(const plot_state *ps) {
  for (int sig = next_signal(ps->signal_fd); sig != 0; sig = next_signal(ps->signal_fd)) {
    switch (sig) {
    case SIGINT:
    case SIGTERM:
      return sig;
    case SIGTSTP:
      suspend_ncurses();
      pass_on(SIGTSTP);
      break;
    case SIGCONT:
      // After a Ctrl-Z the terminal is handed back already; after a stop by SIGSTOP the shell has
      // had it, in its own modes, and it is handed back now.
      suspend_ncurses();
      break;
    case SIGWINCH:
      // A size the run does not take is not passed on: the run goes on at the size it had.
      if (terminal_size_fits())
        pass_on(SIGWINCH);
      break;
    default:
      break;
    }
  }
  resume_ncurses();
  return 0;
}

int ending_signal(const plot_state *ps) {
  for (int sig = next_signal(ps->signal_fd); sig != 0; sig = next_signal(ps->signal_fd))
    if (sig == SIGINT || sig == SIGTERM)
      return sig;
  return 0;
}

#include "signals.h"

#include "screen.h"

#include <initializer_list>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr int taken_by_the_run[] = {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH};

sigset_t signal_set(int sig) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  return set;
}

// Lets a signal that was read from the descriptor take effect as if it had never been blocked: a
// Ctrl-Z its default action, which stops the process until SIGCONT; a resize, curses' handler; an
// interrupt, its default action, which ends the process.
void pass_on(int sig) {
  const sigset_t set = signal_set(sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  // raise returns once a stop is continued, or a handler has run.
  // cppcheck-suppress unreachableCode
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

// Reads the next pending signal off the descriptor; 0 when none is pending.
int next_signal(const plot_state *ps) {
  signalfd_siginfo info{};
  if (read(ps->signal_fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
    return 0;
  return static_cast<int>(info.ssi_signo);
}

} // namespace

int block_signals(plot_state *ps) {
  sigemptyset(&ps->blocked);
  sigemptyset(&ps->taken_while_waiting);
  for (const int sig : taken_by_the_run) {
    // A signal ignored when the run starts, as a shell ignores interrupts in a job it starts in
    // the background, stays ignored; blocked, it would be pending all the same.
    struct sigaction action = {};
    if (sigaction(sig, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
      continue;
    sigaddset(&ps->blocked, sig);
    // From the background there is nothing of the terminal's to hand back: while the run waits
    // for the foreground, an interrupt or a request to terminate ends it at once, and the SIGCONT
    // that ends the wait is answered by the taking of the terminal that follows.
    if (sig != SIGTSTP && sig != SIGWINCH)
      sigaddset(&ps->taken_while_waiting, sig);
  }
  // Curses ignores SIGTSTP around every update, which discards one that is pending, unless it
  // finds it ignored when it starts. Ignored before it is first blocked, none pending is lost:
  // once blocked, it is pending whatever its action.
  if (sigismember(&ps->blocked, SIGTSTP) == 1)
    signal(SIGTSTP, SIG_IGN);
  sigprocmask(SIG_BLOCK, &ps->blocked, nullptr);
  ps->signal_fd = signalfd(-1, &ps->blocked, SFD_NONBLOCK | SFD_CLOEXEC);
  return ps->signal_fd < 0 ? -1 : 0;
}

void reclaim_signals(plot_state *ps) {
  // Curses has put handlers of its own on SIGINT and SIGTERM, which never ran, as both are
  // blocked. A default action put back discards none that is pending.
  for (const int sig : {SIGINT, SIGTERM, SIGTSTP})
    if (sigismember(&ps->blocked, sig) == 1)
      signal(sig, SIG_DFL);
}

bool signal_pending(const plot_state *ps) {
  pollfd p{ps->signal_fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

int take_signals(const plot_state *ps) {
  for (int sig = next_signal(ps); sig != 0; sig = next_signal(ps)) {
    switch (sig) {
    case SIGINT:
    case SIGTERM:
      return sig;
    case SIGTSTP:
      suspend_ncurses(ps);
      pass_on(SIGTSTP);
      break;
    case SIGCONT:
      // After a Ctrl-Z the terminal is handed back already; after a stop by SIGSTOP the shell has
      // had it, in its own modes, and it is handed back now.
      suspend_ncurses(ps);
      break;
    case SIGWINCH:
      // A size that curses cannot hold is not passed on: the run goes on at the size it had.
      if (terminal_size_fits(ps))
        pass_on(SIGWINCH);
      break;
    default:
      break;
    }
  }
  resume_ncurses(ps);
  return 0;
}

int take_ending_signal(const plot_state *ps) {
  for (int sig = next_signal(ps); sig != 0; sig = next_signal(ps))
    if (sig == SIGINT || sig == SIGTERM)
      return sig;
  return 0;
}

void end_by_signal(int sig) {
  if (sig != 0)
    pass_on(sig);
}

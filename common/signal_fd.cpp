#include "signal_fd.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t signal_set(int sig) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  return set;
}

} // namespace

int open_signal_fd(const int *signals, std::size_t n, sigset_t *blocked, sigset_t *before) {
  sigemptyset(blocked);
  for (std::size_t k = 0; k < n; ++k) {
    struct sigaction action = {};
    if (sigaction(signals[k], nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
      sigaddset(blocked, signals[k]);
  }
  sigprocmask(SIG_BLOCK, blocked, before);
  return signalfd(-1, blocked, SFD_NONBLOCK | SFD_CLOEXEC);
}

int next_signal(int fd, bool *from_terminal) {
  signalfd_siginfo info{};
  if (read(fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
    return 0;
  if (from_terminal != nullptr)
    *from_terminal = info.ssi_code == SI_KERNEL;
  return static_cast<int>(info.ssi_signo);
}

bool signal_pending(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

void pass_on(int sig) {
  const sigset_t set = signal_set(sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  // raise returns once a stop is continued, or a handler has run.
  // cppcheck-suppress unreachableCode
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void end_by_signal(int sig) {
  if (sig != 0)
    pass_on(sig);
}

void hold_sigttou() {
  const sigset_t set = signal_set(SIGTTOU);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

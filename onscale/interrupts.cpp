#include "interrupts.h"

#include <ctime>
#include <initializer_list>
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

bool block_interrupts(interrupts *in, bool with_trackplot) {
  sigemptyset(&in->blocked);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD, SIGTSTP}) {
    // A signal ignored when onscale starts, as a shell ignores interrupts in a job it starts in
    // the background, stays ignored; blocked, it would be pending all the same.
    struct sigaction action = {};
    if (((sig == SIGCHLD || sig == SIGTSTP) && !with_trackplot) ||
        sigaction(sig, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
      continue;
    sigaddset(&in->blocked, sig);
  }
  sigprocmask(SIG_BLOCK, &in->blocked, &in->before);
  in->fd = signalfd(-1, &in->blocked, SFD_NONBLOCK | SFD_CLOEXEC);
  return in->fd >= 0;
}

int next_interrupt(const interrupts &in) {
  signalfd_siginfo info{};
  if (read(in.fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
    return 0;
  return static_cast<int>(info.ssi_signo);
}

bool stop_asked() {
  const sigset_t set = signal_set(SIGTSTP);
  const timespec now{};
  return sigtimedwait(&set, nullptr, &now) == SIGTSTP;
}

void stop_as_asked() {
  const sigset_t set = signal_set(SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(SIGTSTP);
  // raise returns once the stop is continued.
  // cppcheck-suppress unreachableCode
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void never_stop_for_the_terminal() {
  const sigset_t set = signal_set(SIGTTOU);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void end_by_signal(int sig) {
  if (sig == 0)
    return;
  const sigset_t set = signal_set(sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
}

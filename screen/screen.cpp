#include "screen.h"

#include "scale.h"
#include "signal_fd.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The descriptor curses sets the terminal's modes and reads its size through: standard output, or
// standard error where standard output is no terminal.
int terminal_fd() {
  return isatty(STDOUT_FILENO) != 0 ? STDOUT_FILENO : STDERR_FILENO;
}

// Stops the process until its process group is the terminal's foreground process group, as the
// kernel stops a background job that sets the terminal's modes, with SIGTTOU; in the foreground,
// or with no terminal to draw on, it goes straight on. From the background there is nothing of
// the terminal's to hand back, so an interrupt or a request to terminate that the run holds
// blocked ends it while it waits, and the SIGCONT that ends the wait is let through; the
// terminal's taking that follows answers it.
void wait_for_foreground() {
  const int fd = terminal_fd();
  termios modes{};
  if (tcgetpgrp(fd) == getpgrp() || tcgetattr(fd, &modes) != 0)
    return;
  sigset_t let_through;
  sigemptyset(&let_through);
  for (const int sig : {SIGINT, SIGTERM, SIGCONT})
    sigaddset(&let_through, sig);
  sigset_t blocked;
  sigprocmask(SIG_UNBLOCK, &let_through, &blocked);
  tcsetattr(fd, TCSANOW, &modes);
  sigprocmask(SIG_SETMASK, &blocked, nullptr);
}

// Keys typed during the run were never read; left queued, the shell would read and run them. They
// wait on the controlling terminal, which neither standard input nor standard output need be. A
// process outside the foreground process group leaves them to the shell, unless they were typed
// while the run held the terminal.
void discard_typed_keys(bool typed_on_the_plot) {
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0)
    return;
  if (typed_on_the_plot || tcgetpgrp(tty) == getpgrp())
    tcflush(tty, TCIFLUSH);
  close(tty);
}

// A signal key throws away what waits to be written to the terminal, unless told not to. Linux
// makes that room without waking a writer that waits for it, and the signal that would wake it is
// blocked: a run asleep writing to a terminal that is behind would sleep for good. Kept, the
// output drains, and the run takes the pending signal between two pairs. Curses keeps the flag in
// the run's modes, and hands the terminal back in the caller's.
void keep_output_on_signal_keys() {
  const int fd = terminal_fd();
  termios modes{};
  if (tcgetattr(fd, &modes) != 0)
    return;
  modes.c_lflag |= NOFLSH;
  tcsetattr(fd, TCSANOW, &modes);
  def_prog_mode();
}

// Whether curses can drive the terminal that TERM names, at a size the run takes; looked up before
// curses takes the terminal, so that it is left untouched otherwise. The size is the one curses
// would take: LINES and COLUMNS, the terminal's, or the type's.
int check_terminal() {
  int found = 0;
  // A hardcopy terminal, which setupterm turns down with found set to 1, has no cursor to move.
  if (setupterm(nullptr, STDOUT_FILENO, &found) != OK)
    return found == 1 ? terminal_cannot_address : terminal_unknown;
  int fault = 0;
  // Without a way to put the cursor on a given cell, curses can only write one mark after another.
  if (tigetstr("cup") == nullptr)
    fault = terminal_cannot_address;
  else if (tigetnum("lines") > full_scale || tigetnum("cols") > full_scale)
    fault = terminal_too_large;
  del_curterm(cur_term);
  return fault;
}

} // namespace

int start_ncurses(WINDOW **win) {
  const int fault = check_terminal();
  if (fault != 0)
    return fault;
  wait_for_foreground();
  *win = initscr();
  cbreak();
  noecho();
  keep_output_on_signal_keys();
  nodelay(*win, TRUE);
  keypad(*win, TRUE);
  // Nothing reads the keyboard, so curses need not look for typed keys: it would ask the terminal
  // before each update, a system call a refresh for nothing.
  typeahead(-1);
  return 0;
}

bool terminal_size_fits() {
  winsize size{};
  // Without a size from the terminal, curses keeps the one it has.
  return ioctl(terminal_fd(), TIOCGWINSZ, &size) != 0 ||
         (size.ws_row <= full_scale && size.ws_col <= full_scale);
}

void suspend_ncurses() {
  if (isendwin())
    return;
  wait_for_foreground();
  discard_typed_keys(false);
  endwin();
}

void resume_ncurses() {
  if (!isendwin() || !terminal_size_fits())
    return;
  wait_for_foreground();
  // The first update after endwin takes the terminal again, in the run's modes and at its size
  // now, and draws the whole screen anew.
  doupdate();
}

void stop_ncurses(bool ending) {
  // A terminal handed back already holds nothing of the run's.
  const bool held = !isendwin();
  // The signal that ends a run reaches the whole job, and a shell among it may give the terminal
  // to another process group before the run has handed it back; the job's shell waits for the
  // run to end. So the run hands back all it holds without waiting for the foreground, with
  // SIGTTOU blocked, which would otherwise stop it for good.
  if (held && ending)
    hold_sigttou();
  if (held) {
    if (!ending)
      wait_for_foreground();
    wclear(stdscr);
    wrefresh(stdscr);
  }
  discard_typed_keys(held && ending);
  if (held)
    endwin();
}

int print_err(WINDOW *win, const char *text) {
  int row = 0;
  int col = 0;
  getyx(win, row, col);
  wattrset(stdscr, A_BOLD);
  mvwprintw(stdscr, 19, 10, "%s", text);
  wattrset(stdscr, A_NORMAL);
  wmove(stdscr, row, col);
  return 0;
}

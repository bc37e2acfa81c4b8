#include "screen.h"

#include "plot_state.h"

#include <csignal>
#include <curses.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Keys typed during the run were never read; left queued, the shell would read and run them. They
// wait on the controlling terminal, which neither standard input nor standard output need be.
void discard_typed_keys() {
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0)
    return;
  tcflush(tty, TCIFLUSH);
  close(tty);
}

} // namespace

int start_ncurses(plot_state *ps) {
  // Curses takes the suspend signal over only when it finds it at its default action, and then
  // ignores it during every update, which drops one that is pending. Set to be ignored while curses
  // starts, it stays the caller's; one ignored from the start, where there is no job control,
  // stays ignored.
  struct sigaction suspend = {};
  sigaction(SIGTSTP, nullptr, &suspend);
  const bool by_default = suspend.sa_handler == SIG_DFL;
  if (by_default)
    signal(SIGTSTP, SIG_IGN);
  ps->win = initscr();
  if (by_default)
    signal(SIGTSTP, SIG_DFL);
  // Without a way to put the cursor on a given cell, curses can only write one mark after another.
  if (tigetstr("cup") == nullptr) {
    endwin();
    return 1;
  }
  cbreak();
  noecho();
  nodelay(ps->win, TRUE);
  keypad(ps->win, TRUE);
  // Nothing reads the keyboard, so curses need not look for typed keys: it would ask the terminal
  // before each update, a system call a refresh for nothing.
  typeahead(-1);
  return 0;
}

void suspend_ncurses(plot_state *) {
  discard_typed_keys();
  endwin();
  // Let through, the pending signal stops the process at once, with its default action; it goes
  // on from here when continued.
  sigset_t suspend;
  sigemptyset(&suspend);
  sigaddset(&suspend, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
  sigprocmask(SIG_BLOCK, &suspend, nullptr);
  // The first update after endwin takes the terminal again, in the run's modes and at its size
  // now, and draws the whole screen anew.
  doupdate();
}

void stop_ncurses(plot_state *) {
  wclear(stdscr);
  wrefresh(stdscr);
  discard_typed_keys();
  endwin();
}

int print_err(plot_state *ps, const char *text) {
  int row = 0;
  int col = 0;
  getyx(ps->win, row, col);
  wattrset(stdscr, A_BOLD);
  mvwprintw(stdscr, 19, 10, "%s", text);
  wattrset(stdscr, A_NORMAL);
  wmove(stdscr, row, col);
  return 0;
}

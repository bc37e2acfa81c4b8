#include "screen.h"

#include "plot_state.h"

#include <curses.h>
#include <termios.h>

int start_ncurses(plot_state *ps) {
  ps->win = initscr();
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

void stop_ncurses(plot_state *) {
  wclear(stdscr);
  wrefresh(stdscr);
  // Keys typed during the run were never read; left queued, the shell would read and run them. The
  // queue is the terminal's that curses draws on, which standard input need not be.
  tcflush(fileno(stdout), TCIFLUSH);
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

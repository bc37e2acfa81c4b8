#include "screen.h"

#include "plot_state.h"

#include <curses.h>

int start_ncurses(plot_state *ps) {
  ps->win = initscr();
  cbreak();
  noecho();
  nodelay(ps->win, TRUE);
  keypad(ps->win, TRUE);
  // Nothing reads the keyboard, so a key typed during the run stays pending for good: curses would
  // poll for it during updates and break off a redraw of many lines because of it.
  typeahead(-1);
  return 0;
}

void stop_ncurses(plot_state *) {
  wclear(stdscr);
  wrefresh(stdscr);
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

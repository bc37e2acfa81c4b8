// Starts curses and carries out its arguments in order, so that a test can read the screen back:
// "err:TEXT" shows a message, "put:TEXT" writes at the cursor, "move:ROW,COL" moves the cursor,
// "underline" sets that attribute alone, "refresh" refreshes. The screen is blanked at the end; the
// status is 3 where the message line answered anything but 0.
#include "screen.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
  WINDOW *win = nullptr;
  start_ncurses(&win);
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    int row = 0;
    int col = 0;
    if (std::strncmp(arg, "err:", 4) == 0)
      status = print_err(win, arg + 4) != 0 ? 3 : status;
    else if (std::strncmp(arg, "put:", 4) == 0)
      waddstr(stdscr, arg + 4);
    else if (std::sscanf(arg, "move:%d,%d", &row, &col) == 2)
      wmove(stdscr, row, col);
    else if (std::strcmp(arg, "underline") == 0)
      wattrset(stdscr, A_UNDERLINE);
    else if (std::strcmp(arg, "refresh") == 0)
      wrefresh(stdscr);
  }
  stop_ncurses(false);
  return status;
}

// Starts curses and carries out its arguments in order, so that a test can read the screen back:
// "err:TEXT" shows a message, "put:TEXT" writes at the cursor, "move:ROW,COL" moves the cursor,
// "underline" sets that attribute alone, "refresh" refreshes. The screen is blanked at the end.
#include "screen.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
  WINDOW *win = nullptr;
  start_ncurses(&win);
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    int row = 0;
    int col = 0;
    if (std::strncmp(arg, "err:", 4) == 0)
      print_err(win, arg + 4);
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
  return 0;
}

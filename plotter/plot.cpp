#include "plot.h"

#include "point_reader.h"
#include "screen.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// Opens the point file; a directory opens for reading too, but holds no points.
FILE *open_points(const char *path) {
  FILE *in = std::fopen(path, "r");
  if (in == nullptr)
    return nullptr;
  struct stat st {};
  if (fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(in);
    return nullptr;
  }
  return in;
}

} // namespace

std::int32_t scale_for(std::int32_t cells) {
  // A screen of no cells would divide by zero; like one wider than the full scale, it places
  // nothing.
  return cells != 0 ? full_scale / cells : 0;
}

void size_screen(plot_state *ps) {
  int rows = 0;
  int cols = 0;
  getmaxyx(ps->win, rows, cols);
  ps->rows = rows;
  ps->cols = cols;
  ps->x_scale = scale_for(cols);
  ps->y_scale = scale_for(rows);
}

void map_pair(plot_state *ps) {
  // A scale of 0 places nothing on its axis: -1 is off the screen.
  ps->col = ps->x_scale != 0 ? ps->x / ps->x_scale : -1;
  ps->row = ps->y_scale != 0 ? ps->y / ps->y_scale : -1;
}

bool mark_needs_refresh(plot_state *ps) {
  // The first refresh clears the terminal, whatever the mark.
  const bool first = !ps->cleared;
  int row = 0;
  int col = 0;
  getyx(stdscr, row, col);
  if (wmove(stdscr, ps->row, ps->col) == ERR)
    return first;
  const bool marked = (winch(stdscr) & A_CHARTEXT) == '*';
  waddch(stdscr, '*');
  // Where curses leaves the cursor after the mark decides whether the terminal's cursor moves: the
  // next cell, the start of the next line, or the bottom-right cell itself.
  int new_row = 0;
  int new_col = 0;
  getyx(stdscr, new_row, new_col);
  return first || !marked || new_row != row || new_col != col;
}

int plot_run(int argc, char **argv) {
  auto *ps = static_cast<plot_state *>(std::malloc(sizeof(plot_state)));
  if (ps == nullptr) {
    std::perror("malloc");
    return 1;
  }
  *ps = plot_state{};
  const char *prog = argc > 0 ? argv[0] : "trackplot";
  const char *path = argc > 1 ? argv[1] : "car3.txt";
  FILE *in = open_points(path);
  if (in == nullptr) {
    std::fprintf(stderr, "%s: %s no such file\n", prog, path);
    std::free(ps);
    return 1;
  }

  start_ncurses(ps);
  size_screen(ps);
  // The stream's descriptor is read directly: each read takes whatever a pipe holds at the moment.
  point_reader rd;
  open_reader(&rd, fileno(in), nullptr);
  read_status status;
  while ((status = read_pair(&rd, &ps->x, &ps->y)) == read_ok || status == read_interrupted) {
    // A signal ended the wait for input; the reading goes on where it stopped.
    if (status == read_interrupted)
      continue;
    map_pair(ps);
    if (mark_needs_refresh(ps)) {
      wrefresh(stdscr);
      ps->cleared = true;
    }
  }
  stop_ncurses(ps);
  std::fclose(in);

  // The terminal is back in its own modes before anything is said about the input.
  report_reading(&rd, status, prog, path, stderr);
  std::free(ps);
  return status == read_end ? 0 : 1;
}

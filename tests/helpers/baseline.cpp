// The plain loop the benchmark measures trackplot against: scanf a pair, print the mark, refresh,
// on the same screen functions. It reads well-formed point files only.
#include "plot.h"
#include "scale.h"
#include "screen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  auto *ps = static_cast<plot_state *>(std::malloc(sizeof(plot_state)));
  if (ps == nullptr)
    return 1;
  *ps = plot_state{};
  FILE *in = std::fopen(argc > 1 ? argv[1] : "car3.txt", "r");
  if (in == nullptr) {
    std::free(ps);
    return 1;
  }
  start_ncurses(&ps->win);
  getmaxyx(ps->win, ps->rows, ps->cols);
  ps->x_scale = full_scale / ps->cols;
  ps->y_scale = full_scale / ps->rows;
  while (std::fscanf(in, "%d %d", &ps->x, &ps->y) == 2) {
    ps->col = ps->x / ps->x_scale;
    ps->row = ps->y / ps->y_scale;
    mvprintw(ps->row, ps->col, "*");
    wrefresh(stdscr);
  }
  stop_ncurses(false);
  std::fclose(in);
  std::free(ps);
  return 0;
}

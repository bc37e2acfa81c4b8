#include "plot.h"

#include "messages.h"
#include "output.h"
#include "point_reader.h"
#include "scale.h"
#include "screen.h"
#include "signal_fd.h"
#include "signals.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int measure_screen(plot_state *ps) {
  int rows = 0;
  int cols = 0;
  getmaxyx(ps->win, rows, cols);
  ps->rows = rows;
  ps->cols = cols;
  ps->x_scale = scale_for(cols);
  ps->y_scale = scale_for(rows);
  ps->drawn_rows = rows;
  ps->drawn_cols = cols;
  ps->mark_row = -1;
  ps->mark_col = -1;
  // A screen with no scale on some axis places no mark at all, and needs no room for them.
  if (ps->x_scale <= 0 || ps->y_scale <= 0)
    return 0;
  ps->marked = static_cast<std::uint8_t *>(
      std::calloc(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), 1));
  return ps->marked != nullptr ? 0 : 1;
}

void map_pair(plot_state *ps) {
  // A scale of 0 places nothing on its axis: -1 is off the screen.
  ps->col = ps->x_scale != 0 ? ps->x / ps->x_scale : -1;
  ps->row = ps->y_scale != 0 ? ps->y / ps->y_scale : -1;
}

namespace {

// Writes the mark and remembers it, as mark_cell says.
bool draw_mark(plot_state *ps, std::int32_t row, std::int32_t col) {
  // The first refresh clears the terminal, whatever the mark.
  const bool first = !ps->refreshed;
  // The scales place the full scale on the start-up screen, so only its cells hold marks, whatever
  // the size of the terminal now.
  if (row < 0 || row >= ps->rows || col < 0 || col >= ps->cols)
    return first;
  std::uint8_t *cell = &ps->marked[row * ps->cols + col];
  const bool marked = *cell != 0;
  *cell = 1;
  ps->mark_row = row;
  ps->mark_col = col;
  int cursor_row = 0;
  int cursor_col = 0;
  getyx(stdscr, cursor_row, cursor_col);
  if (wmove(stdscr, row, col) == ERR)
    return first;
  waddch(stdscr, mark);
  // Where curses leaves the cursor after the mark decides whether the terminal's cursor moves: the
  // next cell, the start of the next line, or the bottom-right cell itself.
  int new_row = 0;
  int new_col = 0;
  getyx(stdscr, new_row, new_col);
  return first || !marked || new_row != cursor_row || new_col != cursor_col;
}

// Draws the remembered marks that fit the screen as it is now, and nothing else, with the cursor
// where drawing the latest mark left it.
void redraw_marks(plot_state *ps) {
  werase(stdscr);
  const int rows = std::min(ps->rows, ps->drawn_rows);
  const int cols = std::min(ps->cols, ps->drawn_cols);
  for (int row = 0; ps->marked != nullptr && row < rows; ++row)
    for (int col = 0; col < cols; ++col)
      if (ps->marked[row * ps->cols + col] != 0)
        mvwaddch(stdscr, row, col, mark);
  if (ps->mark_row >= 0 && wmove(stdscr, ps->mark_row, ps->mark_col) != ERR)
    waddch(stdscr, mark);
}

} // namespace

bool mark_cell(plot_state *ps, std::int32_t row, std::int32_t col) {
  // The latest mark's cell marked again changes nothing, nor where curses leaves the cursor. In a
  // smooth recording nearly every pair falls there, so this is found first, with no curses call.
  if (row == ps->mark_row && col == ps->mark_col && ps->refreshed)
    return false;
  return draw_mark(ps, row, col);
}

void show_plot(plot_state *ps) {
  if (isendwin())
    return;
  wrefresh(stdscr);
  ps->refreshed = true;
  // Curses takes a new size of the terminal during an update and keeps of the screen only what
  // fits; marks cut off by a shrink would not come back when the terminal grows again, so all are
  // drawn again for the new size.
  int rows = 0;
  int cols = 0;
  getmaxyx(stdscr, rows, cols);
  if (rows == ps->drawn_rows && cols == ps->drawn_cols)
    return;
  ps->drawn_rows = rows;
  ps->drawn_cols = cols;
  redraw_marks(ps);
  wrefresh(stdscr);
}

namespace {

// At full speed a Ctrl-Z or a resize waits for no more updates than this.
constexpr long updates_per_signal_check = 128;

// Opens the point file; a directory opens for reading too, but holds no points.
FILE *open_points(const char *path) {
  FILE *in = std::fopen(path, "r");
  struct stat st = {};
  if (in != nullptr && fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(in);
    return nullptr;
  }
  return in;
}

// Readies the run up to the terminal taken: standard output to draw on, the point file open, the
// signals the run takes itself blocked, curses started. Says what failed, and returns 1, if any.
int start_run(plot_state *ps, const char *prog, const char *path) {
  // Curses draws on standard output.
  if (!output_writable()) {
    report_no_output(prog);
    return 1;
  }
  ps->in = open_points(path);
  if (ps->in == nullptr) {
    report_no_file(prog, path);
    return 1;
  }
  if (block_signals(ps) != 0) {
    report_perror("signalfd", errno);
    return 1;
  }
  if (const int fault = start_ncurses(&ps->win)) {
    report_terminal(prog, fault);
    return 1;
  }
  reclaim_signals(ps);
  return 0;
}

// Maps the latest pair, marks it and shows it; returns whether pending signals are to be taken
// now. A file is read far less often than the screen is updated, and a slow terminal makes each
// update slow, so they are looked for every so many updates as well as at every read.
bool plot_pair(plot_state *ps) {
  map_pair(ps);
  if (!mark_cell(ps, ps->row, ps->col))
    return false;
  show_plot(ps);
  return ++ps->updates % updates_per_signal_check == 0 && signal_pending(ps->signal_fd);
}

// Lets go of what the run holds and ends the process by the signal that ended the run, or by an
// interrupt or a request to terminate still pending, which came as the run was ending.
void end_run(plot_state *ps) {
  if (ps->ending == 0)
    ps->ending = ending_signal(ps);
  if (ps->signal_fd >= 0)
    close(ps->signal_fd);
  if (ps->in != nullptr)
    std::fclose(ps->in);
  std::free(ps->marked);
  const int ending = ps->ending;
  std::free(ps);
  end_by_signal(ending);
}

} // namespace

int plot_run(int argc, char **argv) {
  auto *ps = static_cast<plot_state *>(std::malloc(sizeof(plot_state)));
  if (ps == nullptr) {
    report_perror("malloc", errno);
    return 1;
  }
  *ps = plot_state{};
  const char *prog = argc > 0 ? argv[0] : "trackplot";
  const char *path = argc > 1 ? argv[1] : "car3.txt";
  if (start_run(ps, prog, path) != 0) {
    end_run(ps);
    return 1;
  }
  // The terminal is the run's: from here on there is one way out, which hands it back.
  const int no_room = measure_screen(ps) != 0 ? errno : 0;
  // The stream's descriptor is read directly: each read takes whatever a pipe holds at the moment.
  point_reader rd;
  open_reader(&rd, fileno(ps->in), ps->signal_fd);
  read_status status = read_end;
  while (no_room == 0 && ps->ending == 0) {
    status = read_pair(&rd, &ps->x, &ps->y);
    if (status == read_ok && !plot_pair(ps))
      continue;
    if (status != read_ok && status != read_interrupted)
      break;
    ps->ending = answer_signals(ps);
    if (ps->ending == 0)
      show_plot(ps);
  }
  // An interrupt that ended the input too, the writer's end of a pipeline, ends the run by it.
  if (ps->ending == 0)
    ps->ending = ending_signal(ps);
  stop_ncurses(ps->ending != 0);
  // The terminal is back in its own modes before anything is said about the run.
  if (no_room != 0)
    report_perror("malloc", no_room);
  report_reading(prog, path, status, &rd, stderr);
  end_run(ps);
  return no_room == 0 && status == read_end ? 0 : 1;
}

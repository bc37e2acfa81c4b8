#include "plot.h"

#include "point_reader.h"
#include "screen.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// At full speed a Ctrl-Z or a resize waits for no more updates than this.
constexpr long updates_per_signal_check = 128;

// Whether standard output is open for writing.
bool output_writable() {
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

// Writes a message of the start-up to standard error: the program's name, then the text, with
// what came from outside the program shown safely.
void report_start(const char *prog, const char *before, const char *outside, const char *after) {
  write_shown(stderr, prog, std::strlen(prog));
  std::fprintf(stderr, ": %s", before);
  write_shown(stderr, outside, std::strlen(outside));
  std::fputs(after, stderr);
}

// Opens the point file; a directory opens for reading too, but holds no points.
FILE *open_points(const char *path) {
  FILE *in = std::fopen(path, "r");
  if (in == nullptr)
    return nullptr;
  struct stat st = {};
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

int size_screen(plot_state *ps) {
  int rows = 0;
  int cols = 0;
  getmaxyx(ps->win, rows, cols);
  ps->rows = rows;
  ps->cols = cols;
  ps->x_scale = scale_for(cols);
  ps->y_scale = scale_for(rows);
  ps->shown_rows = rows;
  ps->shown_cols = cols;
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

// Writes the mark and remembers it, as mark_needs_refresh says.
bool draw_mark(plot_state *ps) {
  // The first refresh clears the terminal, whatever the mark.
  const bool first = !ps->cleared;
  // The scales place the full scale on the start-up screen, so only its cells hold marks, whatever
  // the size of the terminal now.
  if (ps->row < 0 || ps->row >= ps->rows || ps->col < 0 || ps->col >= ps->cols)
    return first;
  std::uint8_t *cell = &ps->marked[ps->row * ps->cols + ps->col];
  const bool marked = *cell != 0;
  *cell = 1;
  ps->mark_row = ps->row;
  ps->mark_col = ps->col;
  int row = 0;
  int col = 0;
  getyx(stdscr, row, col);
  if (wmove(stdscr, ps->row, ps->col) == ERR)
    return first;
  waddch(stdscr, mark);
  // Where curses leaves the cursor after the mark decides whether the terminal's cursor moves: the
  // next cell, the start of the next line, or the bottom-right cell itself.
  int new_row = 0;
  int new_col = 0;
  getyx(stdscr, new_row, new_col);
  return first || !marked || new_row != row || new_col != col;
}

} // namespace

bool mark_needs_refresh(plot_state *ps) {
  // The latest mark's cell marked again changes nothing, nor where curses leaves the cursor. In a
  // smooth recording nearly every pair falls there, so this is found first, with no curses call.
  if (ps->row == ps->mark_row && ps->col == ps->mark_col && ps->cleared)
    return false;
  return draw_mark(ps);
}

namespace {

// Draws the remembered marks that fit the screen as it is now, and nothing else, with the cursor
// where drawing the latest mark left it.
void redraw_marks(plot_state *ps) {
  werase(stdscr);
  const int rows = std::min(ps->rows, ps->shown_rows);
  const int cols = std::min(ps->cols, ps->shown_cols);
  for (int row = 0; ps->marked != nullptr && row < rows; ++row)
    for (int col = 0; col < cols; ++col)
      if (ps->marked[row * ps->cols + col] != 0)
        mvwaddch(stdscr, row, col, mark);
  if (ps->mark_row >= 0 && wmove(stdscr, ps->mark_row, ps->mark_col) != ERR)
    waddch(stdscr, mark);
}

// Brings the terminal up to date with the plot. Curses takes a new size of the terminal during an
// update and keeps of the screen only what fits; marks cut off by a shrink would not come back
// when the terminal grows again, so all are drawn again for the new size. A terminal handed back
// for a size that curses cannot hold is left alone until it is taken again.
void show_plot(plot_state *ps) {
  if (isendwin())
    return;
  wrefresh(stdscr);
  ps->cleared = true;
  int rows = 0;
  int cols = 0;
  getmaxyx(stdscr, rows, cols);
  if (rows == ps->shown_rows && cols == ps->shown_cols)
    return;
  ps->shown_rows = rows;
  ps->shown_cols = cols;
  redraw_marks(ps);
  wrefresh(stdscr);
}

// Whether a held-back signal waits to be taken; asked of the signal descriptor, without a signal
// system call.
bool signal_waiting(int signal_fd) {
  pollfd p{signal_fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

// The signals the run takes itself, between pairs: interrupt, terminate, Ctrl-Z, the continuing
// after any stop, and a resize. One that is ignored when the run starts, as a shell ignores
// interrupts in a job it starts in the background, stays ignored and is not held back: a blocked
// signal is kept pending even when it is ignored.
sigset_t signals_to_hold_back() {
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH}) {
    struct sigaction action = {};
    if (sigaction(sig, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
      sigaddset(&set, sig);
  }
  return set;
}

bool is_pending(const sigset_t *pending, int sig) {
  return sigismember(pending, sig) == 1;
}

sigset_t only(int sig) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  return set;
}

// The signal that ends the run, if one waits.
int ending_signal() {
  sigset_t pending;
  sigpending(&pending);
  for (const int sig : {SIGINT, SIGTERM})
    if (is_pending(&pending, sig))
      return sig;
  return 0;
}

// Lets a held-back signal that waits go through, to its default action or to curses' handler, and
// holds it back again.
void let_through(int sig) {
  const sigset_t set = only(sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

// Takes a held-back signal that waits, and does nothing with it.
void drop(int sig) {
  const sigset_t set = only(sig);
  const timespec now{};
  sigtimedwait(&set, nullptr, &now);
}

// Takes the held-back signals that wait, between two pairs; returns the one that ends the run, or
// 0. A Ctrl-Z hands the terminal back and stops the run until it is continued. A stop that was
// not the run's own, by SIGSTOP, left the terminal to the shell, in the shell's modes: on
// continuing, the run hands it back too. Either way it then takes it again, unless curses cannot
// hold its size: the run then goes on without it until it can. A resize is let through to curses'
// handler, which notes it for the next update, unless curses cannot hold the new size; the run
// then goes on at the size it had. Last, the plot is shown at the terminal's size.
int take_signals(plot_state *ps) {
  if (const int sig = ending_signal())
    return sig;
  sigset_t pending;
  sigpending(&pending);
  const bool ctrl_z = is_pending(&pending, SIGTSTP);
  if (ctrl_z || is_pending(&pending, SIGCONT)) {
    suspend_ncurses(ps);
    if (ctrl_z)
      let_through(SIGTSTP);
    drop(SIGCONT);
    if (const int sig = ending_signal())
      return sig;
  }
  if (is_pending(&pending, SIGWINCH)) {
    if (check_terminal_size(ps) == 0)
      let_through(SIGWINCH);
    else
      drop(SIGWINCH);
  }
  if (isendwin() && check_terminal_size(ps) == 0)
    resume_ncurses(ps);
  show_plot(ps);
  return 0;
}

// Ends the process by the signal, with its default action, as a shell expects of a program that a
// signal interrupts: it stops a loop of commands, and shows as status 130 for Ctrl-C, 143 for
// SIGTERM.
void end_by_signal(int sig) {
  const sigset_t set = only(sig);
  // The signal waits, so it is taken as soon as it is let through; raised again, should it not.
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
}

// Says why curses could not take the terminal.
void report_terminal(const char *prog, int fault) {
  const char *type = std::getenv("TERM");
  if (fault == terminal_too_large) {
    write_shown(stderr, prog, std::strlen(prog));
    std::fprintf(stderr,
                 ": the terminal has more than %d rows or columns, more than curses can hold\n",
                 largest_terminal_size);
  } else if (type == nullptr || *type == '\0') {
    report_start(prog, "TERM is not set", "", "\n");
  } else {
    report_start(prog, "terminal type ", type,
                 fault == terminal_unknown ? " is not known\n"
                                           : " cannot move the cursor to a given cell\n");
  }
}

} // namespace

int plot_run(int argc, char **argv) {
  auto *ps = static_cast<plot_state *>(std::malloc(sizeof(plot_state)));
  if (ps == nullptr) {
    std::perror("malloc");
    return 1;
  }
  *ps = plot_state{};
  const char *prog = argc > 0 ? argv[0] : "trackplot";
  const char *path = argc > 1 ? argv[1] : "car3.txt";
  // Curses draws on standard output. Closed, it would draw nowhere, and the point file would take
  // its descriptor.
  if (!output_writable()) {
    report_start(prog, "standard output: ", std::strerror(EBADF), "\n");
    std::free(ps);
    return 1;
  }
  FILE *in = open_points(path);
  if (in == nullptr) {
    report_start(prog, "", path, " no such file\n");
    std::free(ps);
    return 1;
  }

  // The signals the run takes itself are held back for the whole run, and taken between pairs: at
  // every read of input, during every wait for it, and every so many updates. They are blocked
  // before curses starts, so that none comes while it cannot be taken.
  const sigset_t held_back = signals_to_hold_back();
  sigprocmask(SIG_BLOCK, &held_back, nullptr);
  const int signal_fd = signalfd(-1, &held_back, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signal_fd < 0) {
    std::perror("signalfd");
    std::fclose(in);
    std::free(ps);
    return 1;
  }
  if (const int fault = start_ncurses(ps)) {
    close(signal_fd);
    std::fclose(in);
    report_terminal(prog, fault);
    std::free(ps);
    return 1;
  }
  if (size_screen(ps) != 0) {
    // Handing the terminal back makes system calls of its own, which may set errno.
    const int error = errno;
    stop_ncurses(ps);
    close(signal_fd);
    std::fclose(in);
    std::fprintf(stderr, "malloc: %s\n", std::strerror(error));
    std::free(ps);
    return 1;
  }
  // The stream's descriptor is read directly: each read takes whatever a pipe holds at the moment.
  point_reader rd;
  open_reader(&rd, fileno(in), signal_fd);
  read_status status;
  long updates = 0;
  int ending = 0;
  while ((status = read_pair(&rd, &ps->x, &ps->y)) == read_ok || status == read_interrupted) {
    if (status == read_interrupted) {
      ending = take_signals(ps);
      if (ending != 0)
        break;
      continue;
    }
    map_pair(ps);
    if (!mark_needs_refresh(ps))
      continue;
    show_plot(ps);
    // A file is read far less often than the screen is updated, and a slow terminal makes each
    // update slow: the held-back signals are looked for every so many updates as well.
    if (++updates % updates_per_signal_check == 0 && signal_waiting(signal_fd)) {
      ending = take_signals(ps);
      if (ending != 0)
        break;
    }
  }
  stop_ncurses(ps);
  close(signal_fd);
  std::fclose(in);

  // The terminal is back in its own modes before anything is said about the input.
  report_reading(&rd, status, prog, path, stderr);
  std::free(ps->marked);
  std::free(ps);
  // An interrupt that came as the input ended still ends the run by it.
  if (ending == 0)
    ending = ending_signal();
  if (ending != 0)
    end_by_signal(ending);
  return status == read_end ? 0 : 1;
}

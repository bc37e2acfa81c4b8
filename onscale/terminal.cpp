#include "terminal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <curses.h>
#include <fcntl.h>
#include <term.h>
#include <unistd.h>

namespace {

// The value of the variable where it is a number of cells, else 0.
int cells_from(const char *name) {
  const char *text = std::getenv(name);
  char *end = nullptr;
  const long n = text != nullptr ? std::strtol(text, &end, 10) : 0;
  return n > 0 && n <= 1 << 20 && end != text && *end == '\0' ? static_cast<int>(n) : 0;
}

} // namespace

screen_size terminal_size() {
  // Curses works the size out as it starts, from LINES and COLUMNS and from the controlling
  // terminal; a terminal type it does not know, which trackplot turns down, leaves the size to
  // those alone.
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  const int fd = tty >= 0 ? tty : STDERR_FILENO;
  int found = 0;
  screen_size size{24, 80};
  if (setupterm(nullptr, fd, &found) == OK || setupterm("dumb", fd, &found) == OK) {
    size = {LINES, COLS};
    del_curterm(cur_term);
  }
  if (tty >= 0)
    close(tty);
  return size;
}

screen_size size_from_environment() {
  const int rows = cells_from("LINES");
  const int cols = cells_from("COLUMNS");
  return {rows > 0 ? rows : 24, cols > 0 ? cols : 80};
}

saved_modes save_modes() {
  saved_modes saved{STDOUT_FILENO, {}};
  if (tcgetattr(STDOUT_FILENO, &saved.modes) != 0)
    saved.fd = -1;
  return saved;
}

void restore_terminal(const saved_modes &saved, bool leave_alternate) {
  termios now{};
  if (saved.fd < 0 || tcgetattr(saved.fd, &now) != 0)
    return;
  // Curses turns echo and line editing off before it enters the alternate screen. A trackplot that
  // ended with them on, as the shell hands a job the terminal, never entered it, or had left it
  // when it stopped; leaving it again would move the cursor to wherever it was last saved.
  leave_alternate = leave_alternate && (now.c_lflag & (ECHO | ICANON)) != (ECHO | ICANON);
  tcsetattr(saved.fd, TCSANOW, &saved.modes);
  tcflush(saved.fd, TCIFLUSH);
  int found = 0;
  if (!leave_alternate || setupterm(nullptr, saved.fd, &found) != OK)
    return;
  // What the type writes to leave the screen curses drew on.
  const char *leave = tigetstr("rmcup");
  // tigetstr answers -1 for a name that is no string's.
  if (leave != nullptr && reinterpret_cast<std::intptr_t>(leave) != -1 &&
      write(saved.fd, leave, std::strlen(leave)) < 0) {
    // The terminal is gone, and there is nothing left to restore.
  }
  del_curterm(cur_term);
}

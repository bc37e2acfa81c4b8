// Running the built trackplot and reading back what a terminal shows of its output.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <termios.h>
#include <utility>
#include <vector>
#include <vterm.h>

// A terminal emulator of a fixed size, fed with a program's output.
struct emulator {
  VTerm *vt;
  bool alt_entered = false; // the program switched to the alternate screen at some point
  bool alt_active = false;  // and it is still there
  std::string unfinished;   // a control sequence cut off at the end of what was fed
  emulator(int rows, int cols);
  ~emulator();
  emulator(const emulator &) = delete;
  emulator &operator=(const emulator &) = delete;
  // Feeds output as a terminal gets it, in pieces of any size.
  void feed(const std::string &bytes);
  std::vector<std::string> lines() const;
  VTermScreenCell cell(int row, int col) const;
  VTermPos cursor() const;
};

// A blank screen with "*" in the given (row, col) cells.
std::vector<std::string> picture(int rows, int cols, const std::vector<std::pair<int, int>> &marks);

// The output up to the clear that blanks the screen before the terminal is handed back.
std::string before_final_clear(const std::string &out);

// A file holding the text, in a folder of this test run's own.
std::string temp_file(const std::string &name, const std::string &text);
std::string temp_dir();

struct run_result {
  int status; // as waitpid gives it
  std::string out;
  std::string err;
};

// Runs a program in a session of its own, with no controlling terminal, TERM, LINES and COLUMNS
// set, standard output and error captured and standard input from /dev/null. An empty term leaves
// TERM unset.
run_result run_captured(const std::vector<std::string> &argv, int rows, int cols,
                        const std::string &cwd = "", const std::string &term = "xterm-256color");

// trackplot and its arguments, argument zero being its path.
std::vector<std::string> trackplot(const std::vector<std::string> &args);

// A program running on a pseudo-terminal, whose output is read back into an emulator.
struct pty_run {
  pid_t pid = -1;
  int master = -1;
  int slave = -1;
  termios before{};
  std::string log; // everything the program wrote
  emulator term;
  pty_run(int rows, int cols) : term(rows, cols) {}
  ~pty_run();
};

// Starts argv on the pseudo-terminal as its controlling terminal.
void start_on_pty(pty_run *run, const std::vector<std::string> &argv);

// Gives the pseudo-terminal and the emulator a new size, as a terminal window does when it is
// resized; the kernel tells the program.
void resize_pty(pty_run *run, int rows, int cols);

// Reads the program's output until done() holds or the time runs out; returns done().
bool wait_until(pty_run *run, const std::function<bool()> &done, int timeout_ms = 5000);

// Reads the program's output until the screen shows the picture or the time runs out.
bool wait_for_screen(pty_run *run, const std::vector<std::string> &want, int timeout_ms = 5000);

// Whether some line of the screen holds the text.
bool shows(const emulator &term, const std::string &text);

// Waits for the program to end, reading all it wrote; returns its waitpid status.
int finish(pty_run *run, int timeout_ms = 10000);

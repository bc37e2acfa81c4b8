// Running the built programs and reading back what a terminal shows of their output.
#pragma once

#include <cstdint>
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

// What a terminal of that size shows of the output just before the final clear.
std::vector<std::string> screen_before_final_clear(const std::string &out, int rows, int cols);

// A file holding the text, in a folder of this test run's own.
std::string temp_file(const std::string &name, const std::string &text);
std::string temp_dir();

// Starts argv with env as its whole environment, and the sanitizers' settings, in a session of its
// own, as a shell starts a job in the foreground: every signal at its default action and none
// blocked. Standard input is the file opened at input, which becomes the controlling terminal
// where it is one; standard output and error are out and err, or standard input where -1. Every
// process of the session ends with the test program, however that ends.

pid_t spawn(const std::vector<std::string> &argv, std::vector<std::string> env,
            const std::string &input, int out = -1, int err = -1, const std::string &cwd = "");

// The processes of the session that spawn started: the program, and all it started, jobs in
// process groups of their own included; and their end.
std::vector<pid_t> session_members(pid_t session);
void end_session(pid_t session);

// A waitpid status as a shell shows it: the exit status, or 128 and the signal that ended it.
int shell_status(int status);

struct run_result {
  int status; // as waitpid gives it
  std::string out;
  std::string err;
};

// Runs a program with no controlling terminal, TERM, LINES and COLUMNS set, standard output and
// error captured and standard input from the file input. An empty term leaves TERM unset.
run_result run_captured(const std::vector<std::string> &argv, int rows, int cols,
                        const std::string &cwd = "", const std::string &term = "xterm-256color",
                        const std::string &input = "/dev/null");

// trackplot and its arguments, argument zero being its path.
std::vector<std::string> trackplot(const std::vector<std::string> &args);

// A program running on a pseudo-terminal, whose output is read back into an emulator.
struct pty_run {
  pid_t pid = -1;
  pid_t session = -1; // the program's session, which ends with the run
  int master = -1;
  int slave = -1;
  termios before{};
  std::string log; // everything the program wrote
  emulator term;
  pty_run(int rows, int cols) : term(rows, cols) {}
  ~pty_run();
};

// Starts argv on the pseudo-terminal as its controlling terminal, with TERM and env set.
void start_on_pty(pty_run *run, const std::vector<std::string> &argv,
                  const std::vector<std::string> &env = {});

// Gives the pseudo-terminal and the emulator a new size, as a terminal window does when it is
// resized; the kernel tells the program.
void resize_pty(pty_run *run, int rows, int cols);

// Reads the program's output until done() holds or the time runs out; returns done().
bool wait_until(pty_run *run, const std::function<bool()> &done, int timeout_ms = 5000);

// Reads the program's output for that long.
void wait_for(pty_run *run, int ms);

// Waits for the program to end, reading all it wrote; returns its waitpid status.
int finish(pty_run *run, int timeout_ms = 10000);

// What /proc shows of a process.
struct process_info {
  char state;            // 'T' while it is stopped, 'Z' ended and not waited for, '\0' gone
  std::uint64_t blocked; // the signals it blocks, bit n - 1 for signal n
  std::uint64_t caught;  // and those it has a handler for
  int exit_status;       // as waitpid gives it, once it has ended
  pid_t session;         // the session it belongs to
};
process_info process(pid_t pid);

// Reads the program's output until its screen shows want, or the time runs out; returns what the
// screen shows then.
std::vector<std::string> screen_once_shown(pty_run *run, const std::vector<std::string> &want,
                                           int timeout_ms = 5000);

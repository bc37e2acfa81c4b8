#include "terminal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void expect_modes_restored(const pty_run &run) {
  termios after{};
  ASSERT_EQ(tcgetattr(run.slave, &after), 0);
  EXPECT_EQ(after.c_lflag, run.before.c_lflag);
  EXPECT_EQ(after.c_iflag, run.before.c_iflag);
  EXPECT_EQ(after.c_oflag, run.before.c_oflag);
  EXPECT_EQ(after.c_cflag, run.before.c_cflag);
  EXPECT_TRUE(run.term.alt_entered);
  EXPECT_FALSE(run.term.alt_active);
}

// Whether a signal is in one of the sets that /proc shows of a process: "SigBlk" for those it
// blocks, "SigCgt" for those it has a handler for.
bool in_signal_set(pid_t pid, const std::string &set, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(set + ":", 0) == 0)
      return ((std::stoull(line.substr(set.size() + 1), nullptr, 16) >> (sig - 1)) & 1) != 0;
  ADD_FAILURE() << "no " << set << " for process " << pid;
  return false;
}

// The run holds back the signals it takes itself from start to end, so that none can come
// unnoticed, and takes them without a handler, curses' or its own.
void expect_signals_held_back(pid_t pid) {
  for (const int sig : {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH}) {
    EXPECT_TRUE(in_signal_set(pid, "SigBlk", sig)) << strsignal(sig);
    EXPECT_EQ(in_signal_set(pid, "SigCgt", sig), sig == SIGWINCH) << strsignal(sig);
  }
}

// Bytes typed on the terminal and not read yet.
int typed_ahead(const pty_run &run) {
  int n = -1;
  ioctl(run.slave, FIONREAD, &n);
  return n;
}

// Types keys and waits until the terminal holds them, so that the run cannot end before they
// arrive.
void type_keys(pty_run *run, const std::string &keys) {
  const int before = typed_ahead(*run);
  ASSERT_EQ(write(run->master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  ASSERT_TRUE(wait_until(run, [&] { return typed_ahead(*run) >= before + 1; }));
}

std::string make_fifo(const std::string &name) {
  std::string fifo = temp_dir() + "/" + name + ".fifo";
  // Left by an earlier repetition of the test, if any.
  unlink(fifo.c_str());
  EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  return fifo;
}

// Starts trackplot on a new named pipe and returns the pipe's writing end.
int start_on_fifo(pty_run *run, const std::string &name) {
  const std::string fifo = make_fifo(name);
  start_on_pty(run, trackplot({fifo}));
  return open(fifo.c_str(), O_WRONLY);
}

void send(int fd, const std::string &text) {
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// The state of a process as the kernel shows it: 'T' while it is stopped, '\0' once it is gone.
char process_state(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t at = line.rfind(") ");
  return at == std::string::npos || at + 2 >= line.size() ? '\0' : line[at + 2];
}

TEST(pty, a_full_run_hands_the_terminal_back_blank_and_in_its_modes) {
  const std::string file = temp_file("pty_full", "0 0 510 340 4079 4079\n");
  pty_run run(24, 80);
  start_on_pty(&run, trackplot({file}));
  const int status = finish(&run);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  expect_modes_restored(run);
  EXPECT_EQ(run.term.lines(), picture(24, 80, {}));
}

// Sizes as the terminal reports them, beyond the 512 that some curses versions take from LINES and
// COLUMNS, up to the largest that curses holds; past that, the terminal is left untouched but for
// the message.
TEST(pty, a_screen_wider_than_512_columns_is_plotted_at_its_size) {
  const struct {
    const char *name;
    int rows;
    int cols;
    const char *input;
    std::vector<std::pair<int, int>> marks;
    const char *message = nullptr;
  } cases[] = {
      {"wider_than_512",
       24,
       1000,
       "0 0 2000 2000 3999 4079 4000 0",
       {{0, 0}, {11, 500}, {23, 999}}},
      {"wider_than_the_full_scale", 24, 4100, "0 0 2000 2000", {}},
      // As large as curses can hold; the full scale reaches no cell on the long axis.
      {"as_wide_as_curses_can_hold", 24, 32767, "0 0", {}},
      {"as_tall_as_curses_can_hold", 32767, 1, "0 0", {}},
      {"wider_than_curses_can_hold",
       24,
       32768,
       "0 0",
       {},
       ": the terminal has more than 32767 rows or columns, more than curses can hold\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(c.rows, c.cols);
    start_on_pty(&run, trackplot({temp_file(c.name, c.input)}));
    const int status = finish(&run);
    if (c.message != nullptr) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
      EXPECT_EQ(run.log, TRACKPLOT_PATH + std::string(c.message));
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    emulator before_clear(c.rows, c.cols);
    before_clear.feed(before_final_clear(run.log));
    EXPECT_EQ(before_clear.lines(), picture(c.rows, c.cols, c.marks));
    EXPECT_EQ(run.term.lines(), picture(c.rows, c.cols, {}));
    expect_modes_restored(run);
  }
}

// A live feed through a named pipe: each mark shows before the writer sends the next pair, typed
// keys are neither echoed nor hold the drawing back, and however the run ends the terminal is
// restored and the keys discarded. An interrupt ends the run by that signal.
TEST(pty, a_named_pipe_is_drawn_live_and_the_terminal_is_restored_however_the_run_ends) {
  const struct {
    const char *name;
    const char *keys; // typed to end the run
    int signal;       // or sent to end it; with neither, the writer closes the pipe
    int ended_by;     // the signal that ends the run, or 0 for status 0
  } cases[] = {{"writer_closes", nullptr, 0, 0},
               {"ctrl_c", "\x03", 0, SIGINT},
               {"sigterm", nullptr, SIGTERM, SIGTERM}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const int writer = start_on_fifo(&run, c.name);
    ASSERT_GE(writer, 0);

    send(writer, "510 340\n");
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
    termios during{};
    ASSERT_EQ(tcgetattr(run.slave, &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u) << "keys reach the program at once, unechoed";
    type_keys(&run, "abc");
    send(writer, "1020 850\n");
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}, {5, 20}})));
    expect_signals_held_back(run.pid);

    if (c.keys != nullptr)
      send(run.master, c.keys);
    if (c.signal != 0)
      kill(run.pid, c.signal);
    // Otherwise the pipe stays open until the run has ended, so that nothing but the key or the
    // signal can end it.
    const bool writer_ends_it = c.keys == nullptr && c.signal == 0;
    if (writer_ends_it)
      close(writer);
    const int status = finish(&run);
    if (!writer_ends_it)
      close(writer);
    if (c.ended_by != 0)
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.ended_by) << "status " << status;
    else
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    expect_modes_restored(run);
    EXPECT_EQ(run.term.lines(), picture(24, 80, {}));
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
  }
}

// However the input ends, the marks drawn stay until the screen is blanked, keys typed meanwhile
// are discarded, and what there is to say about the input shows on the restored terminal.
TEST(pty, a_writer_that_closes_the_pipe_ends_the_input_where_it_stopped) {
  const struct {
    const char *name;
    const char *text;
    std::vector<std::pair<int, int>> marks;
    int status;
    const char *message;
  } cases[] = {
      {"in_the_middle_of_a_number", "510 340 1020 68", {{2, 10}, {0, 20}}, 0, ""},
      {"without_writing", "", {}, 0, ""},
      {"after_a_bad_token", "510 340 1020 x 0 0", {{2, 10}}, 1, ":1: not an integer: x"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const std::string fifo = make_fifo(c.name);
    start_on_pty(&run, trackplot({fifo}));
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    // Typed once curses holds the terminal, as keys typed before it would be the shell's.
    ASSERT_TRUE(wait_until(&run, [&] { return run.term.alt_active; }));
    type_keys(&run, "echo typed\n");
    send(writer, c.text);
    close(writer);
    const int status = finish(&run);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << "status " << status;
    emulator before_clear(24, 80);
    before_clear.feed(before_final_clear(run.log));
    EXPECT_EQ(before_clear.lines(), picture(24, 80, c.marks));
    std::vector<std::string> after = picture(24, 80, {});
    const std::string message =
        *c.message != '\0' ? TRACKPLOT_PATH + (": " + fifo) + c.message : "";
    for (std::size_t at = 0; at < message.size(); at += 80)
      after[at / 80].replace(0, std::min<std::size_t>(80, message.size() - at),
                             message.substr(at, 80));
    EXPECT_EQ(run.term.lines(), after);
    expect_modes_restored(run);
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
  }
}

// The scales stay those of the start-up screen: after any resize, smaller or larger, the screen
// shows exactly the marks that fit, those drawn while it was smaller included, with the cursor
// after the latest mark; and this happens while the feed is stalled, in the middle of a pair, and
// with typed keys pending.
TEST(pty, a_resized_terminal_shows_every_mark_that_fits) {
  pty_run run(24, 80);
  const int writer = start_on_fifo(&run, "resize");
  ASSERT_GE(writer, 0);
  std::vector<std::pair<int, int>> marks{{0, 0}, {1, 0}, {2, 10}};
  // The first pair falls just off the right edge; nothing of it may show after a redraw.
  std::string pairs = "4080 1700\n0 0\n0 170\n510 340\n";
  // A mark in each of several rows below a screen of 10 rows.
  for (int row = 11; row < 18; ++row) {
    pairs += std::to_string(45 * 51) + " " + std::to_string(row * 170) + "\n";
    marks.emplace_back(row, 45);
  }
  send(writer, pairs + "10");
  ASSERT_TRUE(wait_for_screen(&run, picture(24, 80, marks)));

  resize_pty(&run, 10, 40);
  EXPECT_TRUE(wait_for_screen(&run, picture(10, 40, {{0, 0}, {1, 0}, {2, 10}})));
  // The pair begun before the resize is finished after it; the next one falls off the smaller
  // screen.
  send(writer, "20 850\n3060 3400\n");
  EXPECT_TRUE(wait_for_screen(&run, picture(10, 40, {{0, 0}, {1, 0}, {2, 10}, {5, 20}})));

  type_keys(&run, "abc");
  resize_pty(&run, 24, 80);
  marks.insert(marks.end(), {{5, 20}, {20, 60}});
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, marks)));
  EXPECT_EQ(run.term.cursor().row, 20);
  EXPECT_EQ(run.term.cursor().col, 61);
  // Larger than at the start, the screen has cells the full scale does not reach. The next pair is
  // drawn after the redraw, so its mark shows the redraw is over.
  resize_pty(&run, 26, 90);
  send(writer, "4079 0\n");
  marks.emplace_back(0, 79);
  EXPECT_TRUE(wait_for_screen(&run, picture(26, 90, marks)));
  // Redrawn, the latest mark leaves the cursor just after it, in the top row too. The marks the
  // small screen cuts off come back only through a redraw.
  resize_pty(&run, 10, 40);
  EXPECT_TRUE(wait_for_screen(&run, picture(10, 40, {{0, 0}, {1, 0}, {2, 10}, {5, 20}})));
  resize_pty(&run, 24, 85);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 85, marks)));
  EXPECT_EQ(run.term.cursor().row, 0);
  EXPECT_EQ(run.term.cursor().col, 80);
  // A change of one dimension alone counts as much.
  resize_pty(&run, 24, 40);
  std::vector<std::pair<int, int>> left;
  std::copy_if(marks.begin(), marks.end(), std::back_inserter(left),
               [](const auto &mark) { return mark.second < 40; });
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 40, left)));
  resize_pty(&run, 24, 80);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, marks)));

  // A size that curses cannot hold is not passed on to it: the run goes on at the size it had. Nor
  // is the terminal taken again at such a size after a stop; the run goes on without it until the
  // terminal has a size that curses can hold.
  const winsize too_wide{24, 40000, 0, 0};
  ASSERT_EQ(ioctl(run.master, TIOCSWINSZ, &too_wide), 0);
  send(writer, "0 340\n");
  marks.emplace_back(2, 0);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, marks)));
  kill(run.pid, SIGSTOP);
  ASSERT_TRUE(wait_until(&run, [&] { return process_state(run.pid) == 'T'; }));
  kill(run.pid, SIGCONT);
  EXPECT_TRUE(wait_until(&run, [&] { return !run.term.alt_active; }));
  // Stopped and continued again, with the terminal handed back already, it writes nothing more.
  const std::size_t handed_back = run.log.size();
  kill(run.pid, SIGSTOP);
  ASSERT_TRUE(wait_until(&run, [&] { return process_state(run.pid) == 'T'; }));
  kill(run.pid, SIGCONT);
  send(writer, "0 510\n");
  marks.emplace_back(3, 0);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  wait_until(&run, [&] { return std::chrono::steady_clock::now() >= until; });
  EXPECT_EQ(run.log.size(), handed_back);
  resize_pty(&run, 24, 80);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, marks)));
  EXPECT_TRUE(run.term.alt_active);
  expect_signals_held_back(run.pid);

  close(writer);
  const int status = finish(&run);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// How a process that has ended but not yet been waited for ended, as a shell shows it: its exit
// status, or 128 and the signal that ended it; -1 for any other process.
int zombie_status(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t at = line.rfind(") ");
  if (at == std::string::npos || at + 2 >= line.size() || line[at + 2] != 'Z')
    return -1;
  const int status = std::stoi(line.substr(line.rfind(' ') + 1));
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Starts an interactive shell on the pseudo-terminal, as a user has, and has it run the command in
// the foreground, as a job of its own; returns the job's process.
pid_t start_job(pty_run *run, const std::string &command) {
  start_on_pty(run, {"/bin/bash", "--norc", "--noprofile", "--noediting", "-i"});
  send(run->master, command + "\n");
  const std::string children =
      "/proc/" + std::to_string(run->pid) + "/task/" + std::to_string(run->pid) + "/children";
  pid_t job = -1;
  wait_until(run, [&] { return static_cast<bool>(std::ifstream(children) >> job); });
  return job;
}

// The status of the shell's last command, once the job has ended.
bool shell_reports_status(pty_run *run, int status) {
  send(run->master, "echo status=$?\n");
  return wait_until(run, [&] { return shows(run->term, "status=" + std::to_string(status)); });
}

// How many times the program has put the terminal on its alternate screen.
std::size_t times_taken(const pty_run &run) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = run.log.find("\x1b[?1049h", at)) != std::string::npos; ++at)
    ++n;
  return n;
}

// Brings a stopped job back with fg until it runs with the terminal taken again. A second Ctrl-Z
// of the same press may stop it once more; that stop too must hand the terminal back.
void resume(pty_run *run, pid_t job) {
  for (int stops = 0; stops < 3; ++stops) {
    const std::size_t taken = times_taken(*run);
    send(run->master, "fg\n");
    ASSERT_TRUE(wait_until(run, [&] { return times_taken(*run) > taken; }))
        << "fg did not take the terminal again";
    const auto settled = [&] {
      const bool stopped = process_state(job) == 'T';
      return stopped != run->term.alt_active;
    };
    ASSERT_TRUE(wait_until(run, settled)) << "stopped with the terminal still on the plot";
    if (process_state(job) != 'T')
      return;
  }
  FAIL() << "the run stops on every fg";
}

// Ctrl-Z pressed at many random moments of a run drawing as fast as it can, once or twice in one
// write, and while the terminal is behind: each press stops the run with the terminal handed back,
// fg takes it up again with the plot drawn anew, and the run goes to its end with every mark.
TEST(pty, every_ctrl_z_stops_the_run_with_the_terminal_handed_back) {
  const run_result points = run_captured({MAKE_POINTS_PATH, "random", "600000"}, 24, 80);
  ASSERT_EQ(points.status, 0);
  const std::string file = temp_file("ctrl_z_random", points.out);
  std::vector<std::pair<int, int>> all_cells;
  std::istringstream pairs(points.out);
  for (int x = 0, y = 0; pairs >> x >> y;)
    if (x < 80 * 51 && y < 24 * 170)
      all_cells.emplace_back(y / 170, x / 51);

  pty_run run(24, 80);
  const pid_t job = start_job(&run, std::string(TRACKPLOT_PATH) + " " + file);
  std::minstd_rand gen(testing::UnitTest::GetInstance()->random_seed());
  for (int press = 0; press < 30; ++press) {
    SCOPED_TRACE(testing::Message() << "press " << press);
    ASSERT_TRUE(wait_until(&run, [&] { return run.term.alt_active; }));
    // A moment at random in the drawing, which goes on meanwhile; for every third press, the
    // terminal falls behind and is not read for a while, so that the run is blocked writing to it.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(gen() % 20);
    if (press % 3 == 1)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    else
      wait_until(&run, [&] { return std::chrono::steady_clock::now() >= until; });
    ASSERT_NE(process_state(job), '\0') << "the run ended before all presses; make it longer";
    send(run.master, press % 3 == 2 ? "\x1a\x1a" : "\x1a");
    EXPECT_TRUE(wait_until(
        &run, [&] { return process_state(job) == 'T'; }, 2000))
        << "Ctrl-Z did not stop the run";
    EXPECT_TRUE(wait_until(&run, [&] { return !run.term.alt_active; }))
        << "stopped with the terminal still on the plot";
    resume(&run, job);
  }
  const auto ended = [&] { return process_state(job) == '\0' && !run.term.alt_active; };
  ASSERT_TRUE(wait_until(&run, ended, 60000));
  emulator before_clear(24, 80);
  before_clear.feed(before_final_clear(run.log));
  EXPECT_EQ(before_clear.lines(), picture(24, 80, all_cells));
  EXPECT_TRUE(shell_reports_status(&run, 0));
}

// While the run waits for its feed, under an interactive shell: a stop of any kind, by Ctrl-Z, by
// kill or by SIGSTOP, ends with the terminal handed back, and fg takes it again in the run's modes
// with the marks drawn anew; where the suspend signal is ignored, Ctrl-Z changes nothing; Ctrl-C
// and SIGTERM end the run by that signal, and Ctrl-C stops the loop that ran it. Either way the
// run goes on with the feed, or ends, with keys typed before it never reaching the shell.
TEST(pty, signals_while_the_run_waits_for_its_feed) {
  const struct {
    const char *name;
    const char *command; // run by the shell, RUN standing for trackplot and its pipe
    const char *key;     // typed, or
    int signal;          // sent with kill
    bool stops;
    int status; // the shell's, once the run has ended
  } cases[] = {
      {"ctrl_z", "sh -c 'exec RUN'", "\x1a", 0, true, 0},
      {"sigtstp_by_kill", "sh -c 'exec RUN'", nullptr, SIGTSTP, true, 0},
      {"sigstop", "sh -c 'exec RUN'", nullptr, SIGSTOP, true, 0},
      {"ctrl_z_where_it_is_ignored", "sh -c 'trap \"\" TSTP; exec RUN'", "\x1a", 0, false, 0},
      {"ctrl_c_in_a_loop", "for i in 1 2; do RUN; echo ran$((i*11)); done", "\x03", 0, false, 130},
      {"sigterm", "sh -c 'exec RUN'", nullptr, SIGTERM, false, 143},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const std::string fifo = make_fifo(c.name);
    std::string command = c.command;
    command.replace(command.find("RUN"), 3, std::string(TRACKPLOT_PATH) + " " + fifo);
    const pid_t job = start_job(&run, command);
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    send(writer, "510 340\n");
    ASSERT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
    type_keys(&run, "echo LEAK$((40+2))\n");
    const std::size_t taken = times_taken(run);
    if (c.signal != 0)
      kill(job, c.signal);
    else
      send(run.master, c.key);
    if (c.stops) {
      EXPECT_TRUE(wait_until(&run, [&] { return process_state(job) == 'T'; }));
      // SIGSTOP leaves the run no chance to hand the terminal back before the shell takes it.
      EXPECT_TRUE(wait_until(&run, [&] {
        return (c.signal == SIGSTOP || !run.term.alt_active) && shows(run.term, "Stopped");
      }));
      resume(&run, job);
      EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
      termios modes{};
      ASSERT_EQ(tcgetattr(run.slave, &modes), 0);
      EXPECT_EQ(modes.c_lflag & (ICANON | ECHO | NOFLSH), tcflag_t{NOFLSH})
          << "taken again in the run's modes";
      expect_signals_held_back(job);
    } else if (c.status == 0) {
      // Time enough for the press to stop the run, were it going to.
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
      wait_until(&run, [&] { return std::chrono::steady_clock::now() >= until; });
      EXPECT_NE(process_state(job), 'T');
      EXPECT_EQ(times_taken(run), taken) << "the screen was drawn anew";
    }
    // The pipe stays open until an interrupt has ended the run, so that nothing else can end it.
    if (c.status == 0) {
      send(writer, "1020 680\n");
      EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}, {4, 20}})));
      close(writer);
    }
    EXPECT_TRUE(wait_until(&run, [&] { return process_state(job) == '\0'; }));
    if (c.status != 0)
      close(writer);
    EXPECT_TRUE(shell_reports_status(&run, c.status));
    EXPECT_FALSE(shows(run.term, "LEAK42")) << "keys typed during the run reach the shell";
    EXPECT_FALSE(shows(run.term, "ran11")) << "the loop went on";
  }
}

// A run started in the background that draws on no terminal finishes by itself, and leaves what
// is typed meanwhile to the shell. One that would draw on the terminal stops before it touches it,
// and either fg finishes it or kill ends it, by the signal.
TEST(pty, a_run_started_in_the_background) {
  const struct {
    const char *name;
    const char *redirect;
    const char *then;  // typed once the run has stopped
    const char *asked; // typed once it has ended, for its status
    int status;
  } cases[] = {
      {"drawing_on_no_terminal", " > /dev/null 2>&1 < /dev/null", nullptr, "wait $!; ", 0},
      {"brought_to_the_foreground", "", "fg", "", 0},
      {"killed_while_stopped", "", "kill %1", "wait $!; ", 143},
      // Curses then sets the modes of the terminal through standard error.
      {"killed_with_its_output_to_a_file", " > /dev/null", "kill %1", "wait $!; ", 143},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const std::string fifo = make_fifo(c.name);
    const pid_t job = start_job(&run, std::string(TRACKPLOT_PATH) + " " + fifo + c.redirect + " &");
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    send(writer, "510 340\n");
    const auto ended = [&] {
      const char state = process_state(job);
      return state == '\0' || state == 'Z';
    };
    if (c.then == nullptr) {
      // Half a line: the shell takes it once the line is ended, unless it was discarded.
      send(run.master, "echo KEPT$((1+1))");
      close(writer);
      EXPECT_TRUE(wait_until(&run, ended));
      send(run.master, "\n");
      EXPECT_TRUE(wait_until(&run, [&] { return shows(run.term, "KEPT2"); }));
    } else {
      EXPECT_TRUE(wait_until(&run, [&] { return process_state(job) == 'T'; }));
      send(run.master, std::string(c.then) + "\n");
      if (c.status == 0) {
        EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
        expect_signals_held_back(job);
      }
      close(writer);
      EXPECT_TRUE(wait_until(&run, ended));
      EXPECT_EQ(times_taken(run), c.status == 0 ? 1u : 0u);
    }
    // A loaded shell can be slow to wait for a job in the background, which is left a zombie that
    // shows how it ended until then.
    if (const int status = zombie_status(job); status >= 0) {
      EXPECT_EQ(status, c.status);
      continue;
    }
    send(run.master, std::string(c.asked) + "echo status=$?\n");
    const std::string status = "status=" + std::to_string(c.status);
    EXPECT_TRUE(wait_until(&run, [&] { return shows(run.term, status); }));
  }
}

// Keys wait on the terminal they are typed on, whatever standard output is, and are discarded
// there at the end.
TEST(pty, keys_typed_during_the_run_are_discarded_whatever_standard_output_is) {
  const struct {
    const char *name;
    std::string redirect;
  } cases[] = {
      {"to_a_file", " > " + temp_dir() + "/plot_out.txt"},
      {"to_a_pipe", " | cat"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const std::string fifo = make_fifo(c.name);
    start_on_pty(&run, {"/bin/sh", "-c", std::string(TRACKPLOT_PATH) + " " + fifo + c.redirect});
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    // Curses holds the terminal once typed keys are no longer echoed.
    const auto unechoed = [&] {
      termios during{};
      return tcgetattr(run.slave, &during) == 0 && (during.c_lflag & ECHO) == 0;
    };
    ASSERT_TRUE(wait_until(&run, unechoed));
    type_keys(&run, "echo typed\n");
    send(writer, "510 340\n");
    close(writer);
    const int status = finish(&run);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
    termios after{};
    ASSERT_EQ(tcgetattr(run.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, run.before.c_lflag);
  }
}

} // namespace

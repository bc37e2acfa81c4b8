#include "terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testing::Contains;
using testing::Each;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::Not;
using testing::Value;

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

// The run blocks the signals it takes itself from start to end, so that none can come unnoticed,
// and takes them without a handler, curses' or its own; curses has one for a resize alone.
void expect_signals_blocked(pid_t pid) {
  const process_info p = process(pid);
  for (const int sig : {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH}) {
    EXPECT_EQ((p.blocked >> (sig - 1)) & 1, 1u) << strsignal(sig);
    EXPECT_EQ((p.caught >> (sig - 1)) & 1, sig == SIGWINCH ? 1u : 0u) << strsignal(sig);
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

void send(int fd, const std::string &text) {
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

bool stopped(pid_t pid) {
  return process(pid).state == 'T';
}

bool gone(pid_t pid) {
  return process(pid).state == '\0';
}

// Whether the process sleeps: it waits for input, or is blocked writing to the terminal.
bool asleep(pid_t pid) {
  return process(pid).state == 'S';
}

// Bytes written into a pipe and not yet read.
int unread(int fd) {
  int n = -1;
  ioctl(fd, FIONREAD, &n);
  return n;
}

// The process of the session that runs the program of that name.
pid_t member_named(pid_t session, const std::string &name) {
  for (const pid_t pid : session_members(session)) {
    std::string comm;
    std::ifstream("/proc/" + std::to_string(pid) + "/comm") >> comm;
    if (comm == name)
      return pid;
  }
  return -1;
}

// How many marks the screen shows.
int marks_on(const emulator &term) {
  int n = 0;
  for (const std::string &line : term.lines())
    n += static_cast<int>(std::count(line.begin(), line.end(), '*'));
  return n;
}

TEST(pty, a_full_run_hands_the_terminal_back_blank_and_in_its_modes) {
  const std::string file = temp_file("pty_full", "0 0 510 340 4079 4079\n");
  pty_run run(24, 80);
  start_on_pty(&run, trackplot({file}));
  EXPECT_EQ(shell_status(finish(&run)), 0);
  expect_modes_restored(run);
  EXPECT_THAT(run.term.lines(), ElementsAreArray(picture(24, 80, {})));
}

// Sizes as the terminal reports them, beyond the 512 that some curses versions take from LINES and
// COLUMNS, up to the full scale; past that, where a column or a row would be less than a unit, the
// terminal is left untouched but for the message, before curses makes room for such a screen.
TEST(pty, a_screen_wider_than_512_columns_is_plotted_at_its_size) {
  const char *const too_large =
      ": the terminal has more than 4096 rows or columns, more than the scale has steps\r\n";
  const struct {
    const char *name;
    int rows;
    int cols;
    const char *input;
    std::vector<std::pair<int, int>> marks{};
    const char *message = nullptr;
  } cases[] = {
      {.name = "wider_than_512",
       .rows = 24,
       .cols = 1000,
       .input = "0 0 2000 2000 3999 4079 4000 0",
       .marks = {{0, 0}, {11, 500}, {23, 999}}},
      {.name = "as_wide_as_the_full_scale",
       .rows = 2,
       .cols = 4096,
       .input = "0 0 4095 4095",
       .marks = {{0, 0}, {1, 4095}}},
      {.name = "wider_than_the_full_scale",
       .rows = 24,
       .cols = 4097,
       .input = "0 0",
       .message = too_large},
      {.name = "taller_than_the_full_scale",
       .rows = 4097,
       .cols = 1,
       .input = "0 0",
       .message = too_large},
      {.name = "as_wide_as_curses_can_hold",
       .rows = 24,
       .cols = 32767,
       .input = "0 0",
       .message = too_large},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(c.rows, c.cols);
    start_on_pty(&run, trackplot({temp_file(c.name, c.input)}));
    EXPECT_EQ(shell_status(finish(&run)), c.message != nullptr ? 1 : 0);
    if (c.message != nullptr) {
      EXPECT_EQ(run.log, TRACKPLOT_PATH + std::string(c.message));
      continue;
    }
    EXPECT_THAT(screen_before_final_clear(run.log, c.rows, c.cols),
                ElementsAreArray(picture(c.rows, c.cols, c.marks)));
    EXPECT_THAT(run.term.lines(), ElementsAreArray(picture(c.rows, c.cols, {})));
    expect_modes_restored(run);
  }
}

// Waits until the run opens the entry of its terminal type, a named pipe, and sends it the signal;
// then writes the entry into the pipe, and leaves a file in its place for curses to read as it
// starts.
void signal_at_the_lookup(pty_run *run, const std::string &fifo, int sig) {
  // Debian 12 keeps the entry under /lib, Debian 13 under /usr/share.
  std::string entry;
  for (const char *dir : {"/lib", "/usr/share"}) {
    std::ifstream in(std::string(dir) + "/terminfo/x/xterm-256color", std::ios::binary);
    entry.assign(std::istreambuf_iterator<char>(in), {});
    if (!entry.empty())
      break;
  }
  ASSERT_FALSE(entry.empty());
  // Opened without waiting, the pipe opens only while the run holds it open to read.
  int fd = -1;
  ASSERT_TRUE(
      wait_until(run, [&] { return (fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }));
  kill(run->pid, sig);
  std::ofstream(fifo + ".file", std::ios::binary) << entry;
  std::filesystem::rename(fifo + ".file", fifo);
  EXPECT_EQ(write(fd, entry.data(), entry.size()), static_cast<ssize_t>(entry.size()));
  close(fd);
}

// A live feed through a named pipe: each mark shows before the writer sends the next pair, typed
// keys are neither echoed nor hold the drawing back, and however the run ends the terminal is
// restored and the keys discarded. An interrupt ends the run by that signal, one sent while the run
// still looks up its terminal type too.
TEST(pty, a_named_pipe_is_drawn_live_and_the_terminal_is_restored_however_the_run_ends) {
  const struct {
    const char *name;
    const char *key = nullptr; // typed to end the run
    int signal = 0;            // or sent to end it; with neither, the writer closes the pipe
    bool at_start = false;     // sent while the run waits for its terminal's entry
  } cases[] = {
      {.name = "writer_closes"},
      {.name = "ctrl_c", .key = "\x03"},
      {.name = "sigterm", .signal = SIGTERM},
      {.name = "sigterm_while_the_terminal_type_is_looked_up", .signal = SIGTERM, .at_start = true},
      {.name = "sigint_while_the_terminal_type_is_looked_up", .signal = SIGINT, .at_start = true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const std::string fifo = make_fifo(c.name);
    // A terminfo folder whose entry for the terminal is a named pipe holds the run as it looks
    // the entry up, until the entry is written into the pipe.
    const std::string terminfo = temp_dir() + "/" + c.name;
    std::vector<std::string> env;
    if (c.at_start) {
      std::filesystem::create_directories(terminfo + "/x");
      mkfifo((terminfo + "/x/xterm-256color").c_str(), 0600);
      env.push_back("TERMINFO=" + terminfo);
    }
    start_on_pty(&run, trackplot({fifo}), env);
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const int ended_by = c.key != nullptr ? SIGINT : c.signal;
    if (c.at_start) {
      signal_at_the_lookup(&run, terminfo + "/x/xterm-256color", c.signal);
    } else {
      send(writer, "510 340\n");
      const auto one = picture(24, 80, {{2, 10}});
      EXPECT_THAT(screen_once_shown(&run, one), ElementsAreArray(one));
      termios during{};
      ASSERT_EQ(tcgetattr(run.slave, &during), 0);
      EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u) << "keys reach the program at once, unechoed";
      type_keys(&run, "abc");
      // A new mark in the bottom-right cell leaves the cursor where the cell before it left it.
      send(writer, "4000 4079\n4079 4079\n");
      const auto three = picture(24, 80, {{2, 10}, {23, 78}, {23, 79}});
      EXPECT_THAT(screen_once_shown(&run, three), ElementsAreArray(three));
      expect_signals_blocked(run.pid);
      if (c.key != nullptr)
        send(run.master, c.key);
      if (c.signal != 0)
        kill(run.pid, c.signal);
    }
    // The pipe stays open until the run has ended, so that nothing but the key or the signal can
    // end it.
    if (ended_by == 0)
      close(writer);
    EXPECT_EQ(shell_status(finish(&run)), ended_by != 0 ? 128 + ended_by : 0);
    close(writer);
    expect_modes_restored(run);
    EXPECT_THAT(run.term.lines(), ElementsAreArray(picture(24, 80, {})));
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
  }
}

// However the input ends, the marks drawn stay until the screen is blanked, keys typed meanwhile
// are discarded, and what there is to say about the input shows on the restored terminal.
TEST(pty, a_writer_that_closes_the_pipe_ends_the_input_where_it_stopped) {
  const struct {
    const char *name;
    const char *text;
    std::vector<std::pair<int, int>> marks{};
    int status = 0;
    const char *message = "";
  } cases[] = {
      {.name = "in_the_middle_of_a_number", .text = "510 340 1020 68", .marks = {{2, 10}, {0, 20}}},
      {.name = "without_writing", .text = ""},
      {.name = "after_a_bad_token",
       .text = "510 340 1020 x 0 0",
       .marks = {{2, 10}},
       .status = 1,
       .message = ":1: not an integer: x"},
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
    EXPECT_EQ(shell_status(finish(&run)), c.status);
    EXPECT_THAT(screen_before_final_clear(run.log, 24, 80),
                ElementsAreArray(picture(24, 80, c.marks)));
    std::vector<std::string> after = picture(24, 80, {});
    const std::string message =
        *c.message != '\0' ? TRACKPLOT_PATH + (": " + fifo) + c.message : "";
    for (std::size_t at = 0; at < message.size(); at += 80)
      after[at / 80].replace(0, std::min<std::size_t>(80, message.size() - at),
                             message.substr(at, 80));
    EXPECT_THAT(run.term.lines(), ElementsAreArray(after));
    expect_modes_restored(run);
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
  }
}

// The marks of the complete pairs in the text, on the start-up screen of 80x24, that fit a screen
// of rows and cols; the latest mark last.
std::vector<std::pair<int, int>> marks_that_fit(const std::string &text, int rows, int cols) {
  std::vector<std::pair<int, int>> marks;
  std::istringstream pairs(text);
  for (int x = 0, y = 0; pairs >> x >> y;)
    if (x < 80 * 51 && y < 24 * 170 && x / 51 < cols && y / 170 < rows)
      marks.emplace_back(y / 170, x / 51);
  return marks;
}

// The scales stay those of the start-up screen: after any resize, smaller or larger, the screen
// shows exactly the marks that fit, those drawn while it was smaller included, with the cursor
// after the latest mark; and this happens while the feed is stalled, in the middle of a pair, and
// with typed keys pending. A size that curses cannot hold is not taken: the run goes on at the size
// it had, or, coming back from a stop, without the terminal, until it has a size that curses can
// hold.
TEST(pty, a_resized_terminal_shows_every_mark_that_fits) {
  // The first pair falls just off the right edge, and the next ones in the rows above and below a
  // screen of 10 rows; the last pair is cut in two by a resize.
  std::string first = "4080 1700\n0 0\n0 170\n510 340\n";
  for (int y = 11 * 170; y < 18 * 170; y += 170)
    first += "2295 " + std::to_string(y) + "\n";
  // Each step resizes the terminal, then sends its text.
  const struct {
    int rows;
    int cols;
    std::string text;
  } steps[] = {{24, 80, first + "10"}, {10, 40, ""},         {10, 40, "20 850\n3060 3400\n"},
               {24, 80, ""},           {26, 90, "4079 0\n"}, {10, 40, ""},
               {24, 85, ""},           {24, 40, ""},         {24, 80, ""}};
  pty_run run(24, 80);
  const std::string fifo = make_fifo("resize");
  start_on_pty(&run, trackplot({fifo}));
  const int writer = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  std::string sent;
  for (const auto &step : steps) {
    SCOPED_TRACE(testing::Message() << step.cols << "x" << step.rows << " after " << sent.size());
    if (!sent.empty())
      type_keys(&run, "abc");
    resize_pty(&run, step.rows, step.cols);
    send(writer, step.text);
    sent += step.text;
    const auto marks = marks_that_fit(sent, step.rows, step.cols);
    const auto drawn = picture(step.rows, step.cols, marks);
    EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
    const auto all = marks_that_fit(sent, 24, 80);
    if (!marks.empty() && marks.back() == all.back() && marks.back().second + 1 < step.cols) {
      EXPECT_THAT(run.term.cursor(), testing::FieldsAre(all.back().first, all.back().second + 1));
    }
  }
  const winsize too_wide{24, 40000, 0, 0};
  ASSERT_EQ(ioctl(run.master, TIOCSWINSZ, &too_wide), 0);
  send(writer, "0 340\n");
  sent += "0 340\n";
  const auto too_wide_to_take = picture(24, 80, marks_that_fit(sent, 24, 80));
  EXPECT_THAT(screen_once_shown(&run, too_wide_to_take), ElementsAreArray(too_wide_to_take));
  // Continued from a stop at that size, the run hands the terminal back; stopped and continued
  // again, with the terminal handed back already, it writes nothing more, whatever it reads.
  for (const bool handed_back : {false, true}) {
    const std::size_t written = run.log.size();
    kill(run.pid, SIGSTOP);
    ASSERT_TRUE(wait_until(&run, [&] { return stopped(run.pid); }));
    kill(run.pid, SIGCONT);
    if (handed_back) {
      send(writer, "0 510\n");
      sent += "0 510\n";
      // The run reads the pair, and would draw it before it waits for the next.
      EXPECT_TRUE(wait_until(&run, [&] { return unread(writer) == 0 && asleep(run.pid); }));
      EXPECT_EQ(run.log.size(), written);
    }
    EXPECT_TRUE(wait_until(&run, [&] { return !run.term.alt_active; }));
  }
  resize_pty(&run, 24, 80);
  const auto taken_again = picture(24, 80, marks_that_fit(sent, 24, 80));
  EXPECT_THAT(screen_once_shown(&run, taken_again), ElementsAreArray(taken_again));
  EXPECT_TRUE(run.term.alt_active);
  expect_signals_blocked(run.pid);
  close(writer);
  EXPECT_EQ(shell_status(finish(&run)), 0);
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
bool shell_reports_status(pty_run *run, int status, const std::string &asked = "") {
  send(run->master, asked + "echo status=$?.\n");
  return wait_until(run, [&] {
    return Value(run->term.lines(), Contains(HasSubstr("status=" + std::to_string(status) + ".")));
  });
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
    ASSERT_TRUE(wait_until(run, [&] { return stopped(job) != run->term.alt_active; }))
        << "stopped with the terminal still on the plot";
    if (!stopped(job))
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
  pty_run run(24, 80);
  const pid_t job = start_job(&run, std::string(TRACKPLOT_PATH) + " " + file);
  std::minstd_rand gen(testing::UnitTest::GetInstance()->random_seed());
  for (int press = 0; press < 30; ++press) {
    SCOPED_TRACE(testing::Message() << "press " << press);
    ASSERT_TRUE(wait_until(&run, [&] { return run.term.alt_active; }));
    // A moment at random in the drawing, which goes on meanwhile; for every third press, the
    // terminal falls behind: it is not read until the run is blocked writing to it.
    if (press % 3 == 1)
      for (int ms = 0; ms < 2000 && !asleep(job); ++ms)
        usleep(1000);
    else
      wait_for(&run, static_cast<int>(gen() % 20));
    ASSERT_FALSE(gone(job)) << "the run ended before all presses; make it longer";
    send(run.master, press % 3 == 2 ? "\x1a\x1a" : "\x1a");
    const auto stopped_now = [&] { return stopped(job); };
    EXPECT_TRUE(wait_until(&run, stopped_now, 2000)) << "Ctrl-Z did not stop it";
    EXPECT_TRUE(wait_until(&run, [&] { return !run.term.alt_active; }))
        << "stopped with the terminal still on the plot";
    resume(&run, job);
  }
  const auto ended = [&] { return gone(job) && !run.term.alt_active; };
  ASSERT_TRUE(wait_until(&run, ended, 60000));
  EXPECT_THAT(screen_before_final_clear(run.log, 24, 80),
              ElementsAreArray(picture(24, 80, marks_that_fit(points.out, 24, 80))));
  EXPECT_TRUE(shell_reports_status(&run, 0));
}

// What people type into their shell, onscale -p and live pipelines among them, read back as they
// see it: the picture, which stays until Ctrl-C; then what is said on the normal screen, the
// status, no stopped job, the terminal out of the alternate screen in the shell's modes, and no key
// typed during the run reaching the shell.
TEST(pty, as_users_type_it) {
  const std::string dir = temp_dir();
  temp_file("ride.csv", "time,y\n08:00,0\n18:00,10\nn/a,5\n13:00,5\n");
  // More pairs than a pipe holds, so that onscale is still writing when trackplot gives up, and
  // far more than trackplot draws in the time it takes to fill the screen, so that onscale waits
  // for room in the pipe when Ctrl-Z comes.
  temp_file("random.txt", run_captured({MAKE_POINTS_PATH, "random", "300000"}, 24, 80).out);
  std::vector<std::pair<int, int>> every_cell;
  for (int row = 0; row < 24; ++row)
    for (int col = 0; col < 120; ++col)
      every_cell.emplace_back(row, col);
  // Beside onscale, alone, or with a trackplot killed before it takes the terminal.
  for (const char *beside : {"lone", "killed"}) {
    std::filesystem::create_directories(dir + "/" + beside);
    std::filesystem::copy_file(ONSCALE_PATH, dir + "/" + beside + "/onscale",
                               std::filesystem::copy_options::overwrite_existing);
  }
  temp_file("killed/trackplot", "#!/bin/sh\nkill -KILL $$\n");
  std::filesystem::permissions(dir + "/killed/trackplot", std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string feed = "while sleep 0.2; do echo \"$RANDOM $RANDOM\"; done | ONSCALE";
  const struct { // NOLINT(clang-analyzer-optin.performance.Padding): in the order a case reads
    const char *name;
    std::string command;                      // ONSCALE and TRACKPLOT stand for the programs
    std::vector<std::pair<int, int>> marks{}; // the picture, which stays while watched
    const char *key = "\x03";                 // pressed then, if any
    int tries = 1;
    bool stopped = false; // Ctrl-Z and fg once the picture shows
    int watched_ms = 2000;
    std::string asked = "echo status=$?.";      // once the run is over; the dot ends the number
    std::vector<std::string> said{};            // after which these lines show
    int to_trackplot = 0;                       // sent to trackplot once the picture shows, or
    int to_onscale = 0;                         // to onscale, where no key ends the run
    int rows = 24;                              // the terminal's size
    int cols = 120;                             // from where it is resized, once the picture shows,
    bool resized_first = false;                 // or as soon as the run starts
    std::vector<std::pair<int, int>> resized{}; // to that size, the picture then
    bool before_any_pair = false;               // the key is pressed while onscale waits for one
  } cases[] = {
      {.name = "onscale_p_keeps_the_picture_and_says_what_it_left_out_and_the_edges",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .said =
           {"onscale: ride.csv, columns 1 and 2: 1 line left out: line 4, column 1: not a time: "
            "n/a",
            "onscale: ride.csv, columns 1 and 2: the screen's edges are left 08:00, right 18:00, "
            "bottom 0.0, top 10.0",
            "status=0."}},
      {.name = "ctrl_z_stops_onscale_p_once_the_terminal_is_handed_back_and_fg_brings_it_back",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .tries = 3,
       .stopped = true,
       .said = {"status=0."}},
      {.name = "ctrl_z_and_ctrl_c_reach_onscale_p_while_trackplot_is_behind",
       .command = "ONSCALE -p -x 0:4095 -y 0:4095 random.txt",
       .marks = every_cell,
       .stopped = true,
       .watched_ms = 0, // Ctrl-C while trackplot still draws
       .said = {"status=0."}},
      {.name = "onscale_p_says_a_column_is_missing_without_a_picture",
       .command = "ONSCALE -p ride.csv time nope",
       .key = nullptr,
       .said = {"onscale: ride.csv, columns time and nope: no column is named nope; line 1 names "
                "time, y",
                "status=1."}},
      {.name = "onscale_p_leaves_trackplot_s_word_on_why_it_cannot_draw",
       .command = "TERM=nosuch ONSCALE -p random.txt",
       .key = nullptr,
       .said = {"trackplot: terminal type nosuch is not known", "status=1."}},
      {.name = "onscale_p_waits_on_no_keyboard_and_says_how_to_draw_one_column_of_a_file",
       .command = "ONSCALE -p ride.csv y",
       .key = nullptr,
       .said = {"the line number: onscale -p ride.csv 0 y", "status=2."}},
      {.name = "ctrl_c_before_the_first_pair_of_a_feed_ends_onscale_p_by_it",
       .command = "sleep 30 | ONSCALE -p",
       .said = {"status=130."},
       .before_any_pair = true},
      {.name = "onscale_p_says_trackplot_is_nowhere",
       .command = "PATH=/usr/bin:/bin lone/onscale -p ride.csv",
       .key = nullptr,
       .said = {"onscale: -p draws with trackplot, which is neither beside onscale nor on the PATH",
                "status=1."}},
      {.name = "ctrl_c_ends_every_part_of_a_live_pipeline",
       .command = feed + " -x 0:32767 -y 0:32767 | TRACKPLOT /dev/stdin",
       .tries = 5,
       .said = {"status=130."}},
      {.name = "ctrl_c_ends_a_live_feed_into_onscale_p",
       .command = feed + " -p -x 0:32767 -y 0:32767",
       .tries = 5,
       .said = {"status=0."}},
      {.name = "onscale_p_draws_a_feed_as_it_comes_in_a_frame_that_grows_with_it_and_copies_it",
       .command = "{ echo 0 0; sleep 0.3; echo 10 10; sleep 0.3; echo 100 100; sleep 30; } | "
                  "ONSCALE -p",
       .marks = {{23, 0}, {22, 7}, {8, 79}},
       .said = {"  0 +---", "    0" + std::string(112, ' ') + "150",
                "the screen's edges are left 0, right 150, bottom 0, top 150", "status=0."}},
      {.name = "onscale_p_draws_the_picture_anew_for_a_new_size_while_it_is_held",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .said = {"status=0."},
       .rows = 30,
       .cols = 100,
       .resized = {{29, 0}, {15, 49}, {0, 99}}},
      {.name = "onscale_p_places_a_feed_for_the_size_the_terminal_has_at_its_first_pair",
       .command = "(sleep 1; cat ride.csv) | ONSCALE -p",
       .marks = {{29, 0}, {10, 66}, {20, 33}},
       .said = {"status=0."},
       .rows = 30,
       .cols = 100,
       .resized_first = true},
      {.name = "onscale_p_says_how_trackplot_ended_and_hands_the_terminal_back_for_it",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .key = nullptr,
       .said = {"onscale: trackplot ended by signal 9 (Killed)", "status=1."},
       .to_trackplot = SIGKILL},
      {.name = "onscale_p_leaves_the_screen_as_it_is_where_trackplot_ended_before_it_drew",
       .command = "killed/onscale -p ride.csv",
       .key = nullptr,
       .said = {"killed/onscale -p ride.csv", "onscale: trackplot ended by signal 9 (Killed)",
                "status=1."}},
      {.name = "ctrl_c_reaches_a_trackplot_stopped_from_outside",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .said = {"status=0."},
       .to_trackplot = SIGSTOP},
      {.name = "sigterm_ends_onscale_p_with_a_trackplot_stopped_from_outside",
       .command = "ONSCALE -p ride.csv",
       .marks = {{23, 0}, {12, 59}, {0, 119}},
       .key = nullptr,
       .said = {"status=143."},
       .to_trackplot = SIGSTOP,
       .to_onscale = SIGTERM},
      {.name = "onscale_interrupted_while_streaming_says_what_it_left_out",
       .command = "{ echo 1 1; echo 50 1; sleep 30; } | ONSCALE -x 0:10 -y 0:10 2>left.txt | "
                  "TRACKPLOT /dev/stdin",
       .marks = {{21, 11}},
       .asked = "echo status=${PIPESTATUS[1]}.; cat left.txt",
       .said = {"status=130.", "onscale: standard input, columns 1 and 2: 1 line left out: line 2, "
                               "column 1: outside the range given: 50"}},
  };
  for (const auto &c : cases) {
    for (int attempt = 0; attempt < c.tries; ++attempt) {
      SCOPED_TRACE(testing::Message() << c.name << ", try " << attempt);
      pty_run run(24, 120);
      std::string command = "cd " + dir + "\n";
      command += c.command;
      for (const auto &[name, path] :
           {std::pair{"ONSCALE", ONSCALE_PATH}, {"TRACKPLOT", TRACKPLOT_PATH}})
        if (const std::size_t at = command.find(name); at != std::string::npos)
          command.replace(at, std::strlen(name), path);
      start_job(&run, command);
      if (c.resized_first)
        resize_pty(&run, c.rows, c.cols);
      if (!c.marks.empty()) {
        auto drawn =
            picture(c.resized_first ? c.rows : 24, c.resized_first ? c.cols : 120, c.marks);
        EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
        if (c.stopped) {
          send(run.master, "\x1a");
          EXPECT_TRUE(wait_until(
              &run, [&] { return Value(run.term.lines(), Contains(HasSubstr("Stopped"))); }));
          EXPECT_FALSE(run.term.alt_active);
          send(run.master, "fg\n");
          EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
        }
        if (!c.resized.empty()) {
          resize_pty(&run, c.rows, c.cols);
          drawn = picture(c.rows, c.cols, c.resized);
          EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
        }
        if (c.to_trackplot != 0)
          kill(member_named(run.session, "trackplot"), c.to_trackplot);
        if (c.to_trackplot == 0) {
          const auto put_away = [&] { return !run.term.alt_active; };
          EXPECT_FALSE(wait_until(&run, put_away, c.watched_ms))
              << "the picture was put away by itself";
          EXPECT_THAT(run.term.lines(), ElementsAreArray(drawn));
        }
      } else if (c.before_any_pair) {
        EXPECT_TRUE(wait_until(&run, [&] { return asleep(member_named(run.session, "onscale")); }));
      } else if (c.key != nullptr) {
        EXPECT_TRUE(wait_until(&run, [&] { return run.term.alt_active; }));
        // The later the try, the more of the feed is drawn before the key.
        EXPECT_TRUE(wait_until(&run, [&] { return marks_on(run.term) > attempt; }));
      }
      if (c.key != nullptr || c.to_onscale != 0)
        type_keys(&run, "echo LEAK$((40+2))\n");
      if (c.key != nullptr)
        send(run.master, c.key);
      if (c.to_onscale != 0)
        kill(member_named(run.session, "onscale"), c.to_onscale);
      // Asked once the shell is alone again, as what is typed before would be discarded.
      const auto alone = [&] { return session_members(run.session).size() == 1; };
      EXPECT_TRUE(wait_until(&run, alone));
      send(run.master, c.asked + "; echo jobs=$(jobs | wc -l).; echo over$((6*7))\n");
      EXPECT_TRUE(
          wait_until(&run, [&] { return Value(run.term.lines(), Contains(HasSubstr("over42"))); }));
      for (const std::string &line : c.said)
        EXPECT_THAT(run.term.lines(), Contains(HasSubstr(line))) << line;
      EXPECT_THAT(run.term.lines(), Contains(HasSubstr("jobs=0.")));
      EXPECT_THAT(run.term.lines(), Each(Not(HasSubstr("LEAK42"))))
          << "keys typed during the run reach the shell";
      EXPECT_FALSE(run.term.alt_active);
      termios modes{};
      ASSERT_EQ(tcgetattr(run.slave, &modes), 0);
      EXPECT_EQ(modes.c_lflag & (ICANON | ECHO), run.before.c_lflag & (ICANON | ECHO));
    }
  }
}

// Starts the command under an interactive shell, RUN standing for trackplot on a new named pipe;
// returns the job, and the pipe's writing end in writer.
pid_t start_fifo_job(pty_run *run, const std::string &name, std::string command, int *writer) {
  const std::string fifo = make_fifo(name);
  command.replace(command.find("RUN"), 3, std::string(TRACKPLOT_PATH) + " " + fifo);
  const pid_t job = start_job(run, command);
  *writer = open(fifo.c_str(), O_WRONLY);
  send(*writer, "510 340\n");
  return job;
}

// As start_fifo_job, with the pair drawn and a line typed that must never reach the shell.
pid_t start_feed_job(pty_run *run, const std::string &name, std::string command, int *writer) {
  const pid_t job = start_fifo_job(run, name, std::move(command), writer);
  const auto drawn = picture(24, 80, {{2, 10}});
  EXPECT_THAT(screen_once_shown(run, drawn), ElementsAreArray(drawn));
  type_keys(run, "echo LEAK$((40+2))\n");
  return job;
}

// The run goes on with its feed, then ends with the status given, and the line typed during it
// never reaches the shell.
void expect_goes_on_and_ends(pty_run *run, pid_t job, int writer, int status) {
  // Otherwise the pipe stays open until an interrupt has ended the run.
  if (status == 0) {
    send(writer, "1020 680\n");
    const auto drawn = picture(24, 80, {{2, 10}, {4, 20}});
    EXPECT_THAT(screen_once_shown(run, drawn), ElementsAreArray(drawn));
    close(writer);
  }
  EXPECT_TRUE(wait_until(run, [&] { return gone(job); }));
  if (status != 0)
    close(writer);
  EXPECT_TRUE(shell_reports_status(run, status));
  EXPECT_THAT(run->term.lines(), Each(Not(HasSubstr("LEAK42"))))
      << "keys typed during the run reach the shell";
}

// While the run waits for its feed, under an interactive shell, a stop of any kind, by Ctrl-Z, by
// kill or by SIGSTOP, ends with the terminal handed back, and fg takes it again in the run's modes
// with the marks drawn anew; the run then goes on with its feed.
TEST(pty, a_stop_of_any_kind_hands_the_terminal_back_and_fg_takes_it_again) {
  const struct {
    const char *name;
    const char *key; // typed, or
    int signal;      // sent with kill
  } cases[] = {
      {"ctrl_z", "\x1a", 0}, {"sigtstp_by_kill", nullptr, SIGTSTP}, {"sigstop", nullptr, SIGSTOP}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    int writer = -1;
    const pid_t job = start_feed_job(&run, c.name, "sh -c 'exec RUN'", &writer);
    if (c.key != nullptr)
      send(run.master, c.key);
    else
      kill(job, c.signal);
    EXPECT_TRUE(wait_until(&run, [&] { return stopped(job); }));
    // SIGSTOP leaves the run no chance to hand the terminal back before the shell takes it.
    EXPECT_TRUE(wait_until(&run, [&] {
      return (c.signal == SIGSTOP || !run.term.alt_active) &&
             Value(run.term.lines(), Contains(HasSubstr("Stopped")));
    }));
    resume(&run, job);
    const auto drawn = picture(24, 80, {{2, 10}});
    EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
    termios modes{};
    ASSERT_EQ(tcgetattr(run.slave, &modes), 0);
    EXPECT_EQ(modes.c_lflag & (ICANON | ECHO | NOFLSH), tcflag_t{NOFLSH})
        << "taken again in the run's modes";
    expect_signals_blocked(job);
    expect_goes_on_and_ends(&run, job, writer, 0);
  }
}

// Ctrl-C and SIGTERM end the run by that signal, and Ctrl-C stops the loop that ran it; where the
// suspend signal is ignored, Ctrl-Z changes nothing.
TEST(pty, an_interrupt_ends_the_run_by_it_and_an_ignored_ctrl_z_changes_nothing) {
  const struct {
    const char *name;
    const char *command;
    const char *key = nullptr; // typed, or
    int signal = 0;            // sent with kill
    int status;                // the shell's, once the run has ended
  } cases[] = {
      {.name = "ctrl_z_where_it_is_ignored",
       .command = "sh -c 'trap \"\" TSTP; exec RUN'",
       .key = "\x1a",
       .status = 0},
      {.name = "ctrl_c_in_a_loop",
       .command = "for i in 1 2; do RUN; echo ran$((i*11)); done",
       .key = "\x03",
       .status = 130},
      {.name = "sigterm", .command = "sh -c 'exec RUN'", .signal = SIGTERM, .status = 143},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    int writer = -1;
    const pid_t job = start_feed_job(&run, c.name, c.command, &writer);
    const std::size_t taken = times_taken(run);
    if (c.key != nullptr)
      send(run.master, c.key);
    else
      kill(job, c.signal);
    // An ignored press would have stopped the run by now, were it going to.
    const auto stopped_now = [&] { return stopped(job); };
    EXPECT_FALSE(wait_until(&run, stopped_now, c.status == 0 ? 300 : 0));
    EXPECT_EQ(times_taken(run), taken) << "the screen was drawn anew";
    expect_goes_on_and_ends(&run, job, writer, c.status);
    EXPECT_THAT(run.term.lines(), Each(Not(HasSubstr("ran11")))) << "the loop went on";
  }
}

// A run started in the background that draws on no terminal finishes by itself, and leaves what
// is typed meanwhile to the shell. One that would draw on the terminal stops before it touches it,
// as does one put in the background by Ctrl-Z and bg as it would take the terminal again; fg
// finishes it, or kill ends it, by the signal.
TEST(pty, a_run_in_the_background) {
  const struct {
    const char *name;
    const char *command;
    std::vector<std::string> keys{}; // each typed once the run has stopped, a Ctrl-Z while it draws
    int status;
    bool stopped_by_kill = false;    // stopped and continued by kill, as it draws
    std::size_t taken = 0;           // how many times the run takes the terminal
    const char *asked = "wait $!; "; // typed before asking the shell for the status, or none where
                                     // the shell says how the run ended by itself
  } cases[] = {
      {.name = "drawing_on_no_terminal",
       .command = "RUN > /dev/null 2>&1 < /dev/null &",
       .status = 0},
      {.name = "drawing_on_no_terminal_stopped_and_continued",
       .command = "RUN > /dev/null 2>&1 < /dev/null &",
       .status = 0,
       .stopped_by_kill = true},
      {.name = "brought_to_the_foreground",
       .command = "RUN &",
       .keys = {"fg"},
       .status = 0,
       .taken = 1,
       .asked = ""},
      {.name = "killed_while_stopped", .command = "RUN &", .keys = {"kill %1"}, .status = 143},
      // Curses then sets the modes of the terminal through standard error.
      {.name = "killed_with_its_output_to_a_file",
       .command = "RUN > /dev/null &",
       .keys = {"kill %1"},
       .status = 143},
      {.name = "put_in_the_background_by_ctrl_z_and_bg_then_killed",
       .command = "RUN",
       .keys = {"\x1a", "bg", "kill %1"},
       .status = 143,
       .taken = 1,
       .asked = nullptr},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    int writer = -1;
    const pid_t job = start_fifo_job(&run, c.name, c.command, &writer);
    // Half a line: the shell takes it once the line is ended, unless it was discarded.
    if (c.keys.empty())
      send(run.master, "echo KEPT$((1+1))");
    if (c.stopped_by_kill) {
      // Once it has drawn the pair and waits for the next.
      EXPECT_TRUE(wait_until(&run, [&] { return unread(writer) == 0 && asleep(job); }));
      kill(job, SIGTSTP);
      EXPECT_TRUE(wait_until(&run, [&] { return stopped(job); }));
      kill(job, SIGCONT);
      EXPECT_TRUE(wait_until(&run, [&] { return !stopped(job); }));
    }
    for (const std::string &key : c.keys) {
      const auto drawn = picture(24, 80, {{2, 10}});
      if (key == "\x1a") {
        EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
      } else {
        EXPECT_TRUE(wait_until(&run, [&] { return stopped(job) && !run.term.alt_active; }));
      }
      send(run.master, key == "\x1a" ? key : key + "\n");
      // The run takes its SIGCONT, and stops again as it would take the terminal.
      if (key == "bg") {
        EXPECT_TRUE(wait_until(&run, [&] {
          return Value(run.term.lines(), Contains(HasSubstr("&"))) && stopped(job);
        }));
      }
    }
    if (c.status == 0 && c.taken == 1) {
      const auto drawn = picture(24, 80, {{2, 10}});
      EXPECT_THAT(screen_once_shown(&run, drawn), ElementsAreArray(drawn));
      expect_signals_blocked(job);
    }
    close(writer);
    EXPECT_TRUE(wait_until(&run, [&] { return gone(job) || process(job).state == 'Z'; }));
    EXPECT_EQ(times_taken(run), c.taken);
    if (c.keys.empty()) {
      send(run.master, "\n");
      EXPECT_TRUE(
          wait_until(&run, [&] { return Value(run.term.lines(), Contains(HasSubstr("KEPT2"))); }));
    }
    // A loaded shell can be slow to wait for a job in the background, which is left a zombie that
    // shows how it ended until then.
    if (const process_info p = process(job); p.state == 'Z') {
      EXPECT_EQ(shell_status(p.exit_status), c.status);
      continue;
    }
    if (c.asked != nullptr) {
      EXPECT_TRUE(shell_reports_status(&run, c.status, c.asked));
      continue;
    }
    send(run.master, "\n");
    EXPECT_TRUE(wait_until(
        &run, [&] { return Value(run.term.lines(), Contains(HasSubstr("Terminated"))); }));
  }
}

// A run stopped by SIGSTOP and put in the background, with SIGCONT ignored so that it sees neither,
// still holds the terminal as far as curses knows: when its input ends, it waits for the
// foreground before it blanks the screen, and blanks it once fg gives it the terminal.
TEST(pty, a_run_in_the_background_unawares_blanks_the_screen_only_in_the_foreground) {
  pty_run run(24, 80);
  int writer = -1;
  const pid_t job = start_feed_job(&run, "unawares", "sh -c 'trap \"\" CONT; exec RUN'", &writer);
  kill(job, SIGSTOP);
  EXPECT_TRUE(
      wait_until(&run, [&] { return Value(run.term.lines(), Contains(HasSubstr("Stopped"))); }));
  send(run.master, "bg\n");
  EXPECT_TRUE(wait_until(
      &run, [&] { return Value(run.term.lines(), Contains(HasSubstr("&"))) && asleep(job); }));
  const std::size_t written = run.log.size();
  close(writer);
  EXPECT_TRUE(wait_until(&run, [&] { return stopped(job); }));
  EXPECT_EQ(run.log.find("\x1b[H\x1b[2J", written), std::string::npos)
      << "the screen was blanked from the background";
  send(run.master, "fg\n");
  EXPECT_TRUE(wait_until(
      &run, [&] { return run.log.find("\x1b[H\x1b[2J", written) != std::string::npos; }));
}

// Keys wait on the terminal they are typed on, whatever standard output is, and are discarded
// there at the end.
TEST(pty, keys_typed_during_the_run_are_discarded_whatever_standard_output_is) {
  const struct {
    const char *name;
    std::string redirect;
  } cases[] = {{"to_a_file", " > " + temp_dir() + "/plot_out.txt"}, {"to_a_pipe", " | cat"}};
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
    EXPECT_EQ(shell_status(finish(&run)), 0);
    EXPECT_EQ(typed_ahead(run), 0) << "keys typed during the run reach the shell";
    termios after{};
    ASSERT_EQ(tcgetattr(run.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, run.before.c_lflag);
  }
}

} // namespace

#include "terminal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

std::string make_fifo(const std::string &name) {
  std::string fifo = temp_dir() + "/" + name + ".fifo";
  EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  return fifo;
}

// Starts trackplot on a new named pipe and returns the pipe's writing end.
int start_on_fifo(pty_run *run, const std::string &name) {
  const std::string fifo = make_fifo(name);
  start_on_pty(run, trackplot({fifo}));
  return open(fifo.c_str(), O_WRONLY);
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

// A live feed through a named pipe: each mark shows before the writer sends the next pair, typed
// keys are neither echoed nor hold the drawing back, and however the run ends the terminal is
// restored.
TEST(pty, a_named_pipe_is_drawn_live_and_the_terminal_is_restored_however_the_run_ends) {
  const struct {
    const char *name;
    const char *keys; // typed to end the run
    int signal;       // or sent to end it; with neither, the writer closes the pipe
    bool success;
  } cases[] = {{"writer_closes", nullptr, 0, true},
               {"ctrl_c", "\x03", 0, false},
               {"sigterm", nullptr, SIGTERM, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const int writer = start_on_fifo(&run, c.name);
    ASSERT_GE(writer, 0);

    ASSERT_EQ(write(writer, "510 340\n", 8), 8);
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
    ASSERT_EQ(write(run.master, "abc", 3), 3);
    ASSERT_EQ(write(writer, "1020 680\n", 9), 9);
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}, {4, 20}})));

    if (c.keys != nullptr) {
      ASSERT_EQ(write(run.master, c.keys, 1), 1);
    }
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
    EXPECT_EQ(status == 0, c.success) << "status " << status;
    expect_modes_restored(run);
  }
}

TEST(pty, a_writer_that_closes_the_pipe_ends_the_input_where_it_stopped) {
  const struct {
    const char *name;
    const char *text;
    std::vector<std::pair<int, int>> marks;
  } cases[] = {
      {"in_the_middle_of_a_number", "510 340 1020 68", {{2, 10}, {0, 20}}},
      {"without_writing", "", {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pty_run run(24, 80);
    const int writer = start_on_fifo(&run, c.name);
    ASSERT_GE(writer, 0);
    const auto size = static_cast<ssize_t>(std::string(c.text).size());
    ASSERT_EQ(write(writer, c.text, static_cast<std::size_t>(size)), size);
    close(writer);
    const int status = finish(&run);
    EXPECT_EQ(status, 0);
    emulator before_clear(24, 80);
    before_clear.feed(before_final_clear(run.log));
    EXPECT_EQ(before_clear.lines(), picture(24, 80, c.marks));
    EXPECT_EQ(run.term.lines(), picture(24, 80, {}));
    expect_modes_restored(run);
  }
}

// Run from an interactive shell, as a user would: Ctrl-Z hands the terminal back to the shell, and
// after fg the marks are drawn again and the run goes on.
TEST(pty, ctrl_z_suspends_the_run_and_fg_draws_the_marks_again) {
  const std::string fifo = make_fifo("ctrl_z");
  pty_run run(24, 80);
  start_on_pty(&run, {"/bin/bash", "--norc", "--noprofile", "--noediting", "-i"});
  const std::string command = std::string(TRACKPLOT_PATH) + " " + fifo + "\n";
  ASSERT_EQ(write(run.master, command.data(), command.size()),
            static_cast<ssize_t>(command.size()));
  const int writer = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(write(writer, "510 340\n", 8), 8);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));

  // Curses ignores SIGTSTP while it updates the screen, so a Ctrl-Z typed then is lost, and the
  // user types it again.
  bool stopped = false;
  for (int tries = 0; tries < 5 && !stopped; ++tries) {
    ASSERT_EQ(write(run.master, "\x1a", 1), 1);
    stopped = wait_until(
        &run, [&] { return !run.term.alt_active && shows(run.term, "Stopped"); }, 1000);
  }
  ASSERT_TRUE(stopped);

  ASSERT_EQ(write(run.master, "fg\n", 3), 3);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
  ASSERT_EQ(write(writer, "1020 680\n", 9), 9);
  EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}, {4, 20}})));

  close(writer);
  ASSERT_EQ(write(run.master, "echo status=$?\n", 15), 15);
  EXPECT_TRUE(wait_until(&run, [&] { return shows(run.term, "status=0"); }));
  ASSERT_EQ(write(run.master, "exit\n", 5), 5);
  finish(&run);
}

} // namespace

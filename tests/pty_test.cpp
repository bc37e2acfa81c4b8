#include "terminal.h"

#include <gtest/gtest.h>

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
    const char *end; // written to the terminal to end the run, or nothing to close the pipe
    bool success;
  } cases[] = {{"writer_closes", nullptr, true}, {"ctrl_c", "\x03", false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string fifo = temp_dir() + "/" + c.name + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    pty_run run(24, 80);
    start_on_pty(&run, trackplot({fifo}));
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);

    ASSERT_EQ(write(writer, "510 340\n", 8), 8);
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}})));
    ASSERT_EQ(write(run.master, "abc", 3), 3);
    ASSERT_EQ(write(writer, "1020 680\n", 9), 9);
    EXPECT_TRUE(wait_for_screen(&run, picture(24, 80, {{2, 10}, {4, 20}})));

    if (c.end != nullptr) {
      ASSERT_EQ(write(run.master, c.end, 1), 1);
    }
    close(writer);
    const int status = finish(&run);
    EXPECT_EQ(status == 0, c.success) << "status " << status;
    expect_modes_restored(run);
  }
}

} // namespace

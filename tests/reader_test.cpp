#include "messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <pthread.h>
#include <pty.h>
#include <string>
#include <sys/signalfd.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

void on_signal(int) {}

// Interrupts the reading on this thread where it has not ended within ten seconds, so that a
// reader that waits for more input than it needs fails its test, with the rest of the tests going
// on, instead of holding them up for good: a signal with a handler makes a wait return.
struct deadline {
  std::promise<void> over;
  std::thread watch;
  deadline() {
    struct sigaction act = {};
    act.sa_handler = on_signal;
    sigaction(SIGUSR2, &act, nullptr);
    watch = std::thread([ended = over.get_future(), reader = pthread_self()] {
      if (ended.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return;
      ADD_FAILURE() << "the reader waited for more than it needed";
      pthread_kill(reader, SIGUSR2);
    });
  }
  ~deadline() {
    over.set_value();
    watch.join();
  }
  deadline(const deadline &) = delete;
  deadline &operator=(const deadline &) = delete;
};

// Where the reader's input comes from.
enum source : std::uint8_t {
  pipe_closed,     // a pipe, closed by its writer at the end
  terminal_eof,    // a terminal in canonical mode, ended by the end-of-file key
  terminal_hangup, // a pseudo-terminal's master side, whose reads fail once the other side closes
};

struct outcome {
  std::vector<std::pair<int, int>> pairs;
  read_status status;
  std::string message;
};

// Reads input written whole or a byte at a time, the way a slow feed arrives.
outcome read_from(source from, const std::string &input, bool byte_by_byte) {
  int fds[2]; // the reader's end, the writer's end
  if (from == pipe_closed) {
    EXPECT_EQ(pipe(fds), 0);
  } else {
    int master = -1;
    int slave = -1;
    EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios modes{};
    tcgetattr(slave, &modes);
    if (from == terminal_eof) {
      modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      fds[0] = slave;
      fds[1] = master;
    } else {
      cfmakeraw(&modes);
      fds[0] = master;
      fds[1] = slave;
    }
    tcsetattr(slave, TCSANOW, &modes);
  }
  std::thread writer([&] {
    const std::size_t step = byte_by_byte ? 1 : input.size();
    for (std::size_t i = 0; i < input.size(); i += step)
      EXPECT_GT(write(fds[1], input.data() + i, std::min(step, input.size() - i)), 0);
    if (from != terminal_eof) {
      close(fds[1]);
      return;
    }
    // The key sends a line unfinished; typed again at the start of a line, it ends the input. The
    // terminal stays open, so a reader that reads on after the end waits for good.
    const std::string eof = !input.empty() && input.back() != '\n' ? "\x04\x04" : "\x04";
    EXPECT_EQ(write(fds[1], eof.data(), eof.size()), static_cast<ssize_t>(eof.size()));
  });
  point_reader rd;
  // The run's reader lives on the stack: whatever its memory held, reading starts from nothing.
  std::memcpy(rd.buf, "7 7\n", 4);
  open_reader(&rd, fds[0], -1);
  outcome out;
  std::int32_t x = 0;
  std::int32_t y = 0;
  {
    const deadline bound;
    while ((out.status = read_pair(&rd, &x, &y)) == read_ok)
      out.pairs.emplace_back(x, y);
  }
  // Reading may stop before the writer is done; the rest is drained so that it can finish.
  char sink[4096];
  while (from == pipe_closed && read(fds[0], sink, sizeof sink) > 0) {
  }
  writer.join();
  close(fds[0]);
  if (from == terminal_eof)
    close(fds[1]);

  char *text = nullptr;
  std::size_t size = 0;
  FILE *mem = open_memstream(&text, &size);
  report_reading("tp", "f", out.status, &rd, mem);
  std::fclose(mem);
  out.message.assign(text, size);
  std::free(text);
  return out;
}

// The fields go in the order a case reads, not the order that packs them tightest.
struct reader_case { // NOLINT(clang-analyzer-optin.performance.Padding)
  const char *name;
  std::string input;
  std::vector<std::pair<int, int>> pairs{};
  read_status status = read_end;
  std::string message{}; // after "tp: f", where the reading ends early
  source from = pipe_closed;
};

const std::string a40(40, 'a');

const reader_case reader_cases[] = {
    {.name = "empty", .input = ""},
    {.name = "only_white_space", .input = " \t\r\v\f\n\n"},
    {.name = "several_pairs_on_a_line", .input = "10 20 30 40", .pairs = {{10, 20}, {30, 40}}},
    {.name = "pair_split_over_lines", .input = "10\n20\n", .pairs = {{10, 20}}},
    {.name = "every_kind_of_white_space",
     .input = "1\t2\r3\v4\f5 \r\n6",
     .pairs = {{1, 2}, {3, 4}, {5, 6}}},
    {.name = "lone_trailing_number", .input = "100 200\n300\n", .pairs = {{100, 200}}},
    {.name = "signs", .input = "+5 -7 -0 +0", .pairs = {{5, -7}, {0, 0}}},
    {.name = "leading_zeros",
     .input = "0000000000000000000000000000000042 -00007",
     .pairs = {{42, -7}}},
    {.name = "limits", .input = "2147483647 -2147483648", .pairs = {{2147483647, -2147483647 - 1}}},
    {.name = "letters_after_a_pair",
     .input = "1 2\n3 x4\n5 6\n",
     .pairs = {{1, 2}},
     .status = read_not_integer,
     .message = ":2: not an integer: x4"},
    {.name = "digits_then_letters",
     .input = "\n\n 12-3",
     .status = read_not_integer,
     .message = ":3: not an integer: 12-3"},
    {.name = "sign_alone",
     .input = "- 5",
     .status = read_not_integer,
     .message = ":1: not an integer: -"},
    {.name = "sign_twice",
     .input = "1 2 +-3 4",
     .pairs = {{1, 2}},
     .status = read_not_integer,
     .message = ":1: not an integer: +-3"},
    {.name = "carriage_return_is_no_line_break",
     .input = "1 2\r3 z",
     .pairs = {{1, 2}},
     .status = read_not_integer,
     .message = ":1: not an integer: z"},
    {.name = "too_large",
     .input = "1 2\n\n2147483648 0",
     .pairs = {{1, 2}},
     .status = read_out_of_range,
     .message = ":3: integer out of range: 2147483648"},
    {.name = "too_small",
     .input = "-2147483649 0",
     .status = read_out_of_range,
     .message = ":1: integer out of range: -2147483649"},
    {.name = "too_small_by_a_digit",
     .input = "-21474836480 0",
     .status = read_out_of_range,
     .message = ":1: integer out of range: -21474836480"},
    {.name = "long_digits_then_a_letter",
     .input = "99999999999999999999a 1",
     .status = read_not_integer,
     .message = ":1: not an integer: 99999999999999999999a"},
    {.name = "long_out_of_range_is_cut",
     .input = std::string(40, '9'),
     .status = read_out_of_range,
     .message = ":1: integer out of range: " + std::string(32, '9') + "..."},
    {.name = "long_token_is_cut",
     .input = "1 2 " + a40,
     .pairs = {{1, 2}},
     .status = read_not_integer,
     .message = ":1: not an integer: " + a40.substr(0, 32) + "..."},
    {.name = "token_of_32_bytes_is_whole",
     .input = a40.substr(0, 32),
     .status = read_not_integer,
     .message = ":1: not an integer: " + a40.substr(0, 32)},
    {.name = "control_bytes_are_escaped",
     .input = "1 2\n\x01\x1b[2J\x7f\xff",
     .pairs = {{1, 2}},
     .status = read_not_integer,
     .message = ":2: not an integer: \\x01\\x1b[2J\\x7f\\xff"},
    {.name = "nul_byte",
     .input = std::string("5 6 7\0 8", 8),
     .pairs = {{5, 6}},
     .status = read_not_integer,
     .message = ":1: not an integer: 7\\x00"},
    {.name = "end_of_file_typed_at_a_terminal",
     .input = "1 2 3",
     .pairs = {{1, 2}},
     .from = terminal_eof},
    {.name = "read_error_between_pairs",
     .input = "1 2 3 4 ",
     .pairs = {{1, 2}, {3, 4}},
     .status = read_failed,
     .message = ": Input/output error",
     .from = terminal_hangup},
    {.name = "read_error_in_a_number",
     .input = "1 2 3 4",
     .pairs = {{1, 2}},
     .status = read_failed,
     .message = ": Input/output error",
     .from = terminal_hangup},
};

// Names the case in test output rather than dumping its bytes.
void PrintTo(const reader_case &c, std::ostream *os) {
  *os << c.name;
}

class reader_test : public testing::TestWithParam<reader_case> {};

TEST_P(reader_test, reads_pairs_until_the_end_or_the_first_bad_token) {
  const reader_case &c = GetParam();
  for (bool byte_by_byte : {false, true}) {
    SCOPED_TRACE(byte_by_byte ? "a byte at a time" : "whole");
    const outcome out = read_from(c.from, c.input, byte_by_byte);
    EXPECT_EQ(out.pairs, c.pairs);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.message, c.message.empty() ? "" : "tp: f" + c.message + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(cases, reader_test, testing::ValuesIn(reader_cases),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(reader, reads_pairs_split_across_many_reads_in_order) {
  std::string input;
  std::vector<std::pair<int, int>> pairs;
  // Far more than one read takes, so that pairs and numbers fall across the reads' boundaries.
  for (int i = 0; i < 100000; ++i) {
    input += std::to_string(i) + " " + std::to_string(-i) + "\n";
    pairs.emplace_back(i, -i);
  }
  const outcome out = read_from(pipe_closed, input, false);
  EXPECT_EQ(out.pairs, pairs);
  EXPECT_EQ(out.status, read_end);
}

TEST(reader, returns_a_pair_once_the_byte_after_it_arrives) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "10 20 3", 7), 7);
  // The writer stays open: a reader that waits for more than it needs would wait here.
  point_reader rd;
  open_reader(&rd, fds[0], -1);
  std::int32_t x = 0;
  std::int32_t y = 0;
  {
    const deadline bound;
    EXPECT_EQ(read_pair(&rd, &x, &y), read_ok);
  }
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  close(fds[0]);
  close(fds[1]);
}

// A signal ends a read, whether it waits on a signal descriptor, the way the run holds its signals
// back, or interrupts the wait through a handler that does not restart system calls. The reading
// then goes on where it stopped, in the middle of a pair and of a number.
TEST(reader, a_signal_ends_a_read_which_then_goes_on_where_it_stopped) {
  const struct {
    const char *name;
    bool signal_fd = false; // the reader watches a signal descriptor
    bool watched = false;   // and the signal is the one it watches, rather than one with a handler
    bool before = false;    // sent before the read, while input is ready, or else during the wait
  } cases[] = {
      {.name = "signal_fd_pending_before_the_read",
       .signal_fd = true,
       .watched = true,
       .before = true},
      {.name = "signal_fd_during_the_wait", .signal_fd = true, .watched = true},
      {.name = "handler_during_the_wait"},
      {.name = "handler_during_a_wait_on_a_signal_fd", .signal_fd = true},
  };
  struct sigaction act = {};
  act.sa_handler = on_signal;
  struct sigaction before_act = {};
  sigaction(SIGUSR1, &act, &before_act);
  sigset_t usr1;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  sigset_t usr2;
  sigemptyset(&usr2);
  sigaddset(&usr2, SIGUSR2);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "1 23", 4), 4);
    sigset_t before;
    pthread_sigmask(c.watched ? SIG_BLOCK : SIG_UNBLOCK, &usr1, &before);
    const int signal_fd = c.signal_fd ? signalfd(-1, c.watched ? &usr1 : &usr2, SFD_NONBLOCK) : -1;
    std::thread signaller;
    if (c.before)
      pthread_kill(pthread_self(), SIGUSR1);
    else
      signaller = std::thread([reader = pthread_self()] {
        usleep(50000);
        pthread_kill(reader, SIGUSR1);
      });
    const deadline bound;
    point_reader rd;
    open_reader(&rd, fds[0], signal_fd);
    std::int32_t x = 0;
    std::int32_t y = 0;
    EXPECT_EQ(read_pair(&rd, &x, &y), read_interrupted);
    if (signaller.joinable())
      signaller.join();
    if (c.watched) {
      signalfd_siginfo info{};
      EXPECT_EQ(read(signal_fd, &info, sizeof info), static_cast<ssize_t>(sizeof info));
      EXPECT_EQ(info.ssi_signo, static_cast<std::uint32_t>(SIGUSR1));
    }
    ASSERT_EQ(write(fds[1], "4 5 6\n", 6), 6);
    close(fds[1]);
    EXPECT_EQ(read_pair(&rd, &x, &y), read_ok);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(1, 234));
    EXPECT_EQ(read_pair(&rd, &x, &y), read_ok);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(5, 6));
    EXPECT_EQ(read_pair(&rd, &x, &y), read_end);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (signal_fd >= 0)
      close(signal_fd);
    close(fds[0]);
  }
  sigaction(SIGUSR1, &before_act, nullptr);
}

} // namespace

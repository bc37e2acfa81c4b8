#include "point_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct outcome {
  std::vector<std::pair<int, int>> pairs;
  read_status status;
  std::string message;
};

// Reads input through a pipe, written whole or a byte at a time, the way a slow feed arrives.
outcome read_through_pipe(const std::string &input, bool byte_by_byte) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  std::thread writer([&] {
    const std::size_t step = byte_by_byte ? 1 : input.size();
    for (std::size_t i = 0; i < input.size(); i += step)
      EXPECT_GT(write(fds[1], input.data() + i, std::min(step, input.size() - i)), 0);
    close(fds[1]);
  });
  point_reader rd;
  open_reader(&rd, fds[0]);
  outcome out;
  std::int32_t x = 0;
  std::int32_t y = 0;
  while ((out.status = read_pair(&rd, &x, &y)) == read_ok)
    out.pairs.emplace_back(x, y);
  // Reading may stop before the writer is done; the rest is drained so that it can finish.
  char sink[4096];
  while (read(fds[0], sink, sizeof sink) > 0) {
  }
  writer.join();
  close(fds[0]);

  char *text = nullptr;
  std::size_t size = 0;
  FILE *mem = open_memstream(&text, &size);
  report_reading(&rd, out.status, "tp", "f", mem);
  std::fclose(mem);
  out.message.assign(text, size);
  std::free(text);
  return out;
}

struct reader_case {
  const char *name;
  std::string input;
  std::vector<std::pair<int, int>> pairs;
  read_status status;
  std::string message;
};

const std::string a40(40, 'a');

const reader_case reader_cases[] = {
    {"empty", "", {}, read_end, ""},
    {"only_white_space", " \t\r\v\f\n\n", {}, read_end, ""},
    {"several_pairs_on_a_line", "10 20 30 40", {{10, 20}, {30, 40}}, read_end, ""},
    {"pair_split_over_lines", "10\n20\n", {{10, 20}}, read_end, ""},
    {"every_kind_of_white_space", "1\t2\r3\v4\f5 \r\n6", {{1, 2}, {3, 4}, {5, 6}}, read_end, ""},
    {"lone_trailing_number", "100 200\n300\n", {{100, 200}}, read_end, ""},
    {"signs", "+5 -7 -0 +0", {{5, -7}, {0, 0}}, read_end, ""},
    {"leading_zeros", "0000000000000000000000000000000042 -00007", {{42, -7}}, read_end, ""},
    {"limits", "2147483647 -2147483648", {{2147483647, -2147483647 - 1}}, read_end, ""},
    {"letters_after_a_pair",
     "1 2\n3 x4\n5 6\n",
     {{1, 2}},
     read_not_integer,
     "tp: f:2: not an integer: x4\n"},
    {"digits_then_letters", "\n\n 12-3", {}, read_not_integer, "tp: f:3: not an integer: 12-3\n"},
    {"sign_alone", "- 5", {}, read_not_integer, "tp: f:1: not an integer: -\n"},
    {"sign_twice", "1 2 +-3 4", {{1, 2}}, read_not_integer, "tp: f:1: not an integer: +-3\n"},
    {"carriage_return_is_no_line_break",
     "1 2\r3 z",
     {{1, 2}},
     read_not_integer,
     "tp: f:1: not an integer: z\n"},
    {"too_large",
     "1 2\n\n2147483648 0",
     {{1, 2}},
     read_out_of_range,
     "tp: f:3: integer out of range: 2147483648\n"},
    {"too_small",
     "-2147483649 0",
     {},
     read_out_of_range,
     "tp: f:1: integer out of range: -2147483649\n"},
    {"long_digits_then_a_letter",
     "99999999999999999999a 1",
     {},
     read_not_integer,
     "tp: f:1: not an integer: 99999999999999999999a\n"},
    {"long_out_of_range_is_cut",
     std::string(40, '9'),
     {},
     read_out_of_range,
     "tp: f:1: integer out of range: " + std::string(32, '9') + "...\n"},
    {"long_token_is_cut",
     "1 2 " + a40,
     {{1, 2}},
     read_not_integer,
     "tp: f:1: not an integer: " + a40.substr(0, 32) + "...\n"},
    {"token_of_32_bytes_is_whole",
     a40.substr(0, 32),
     {},
     read_not_integer,
     "tp: f:1: not an integer: " + a40.substr(0, 32) + "\n"},
    {"control_bytes_are_escaped",
     "1 2\n\x01\x1b[2J\x7f\xff",
     {{1, 2}},
     read_not_integer,
     "tp: f:2: not an integer: \\x01\\x1b[2J\\x7f\\xff\n"},
    {"nul_byte",
     std::string("5 6 7\0 8", 8),
     {{5, 6}},
     read_not_integer,
     "tp: f:1: not an integer: 7\\x00\n"},
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
    const outcome out = read_through_pipe(c.input, byte_by_byte);
    EXPECT_EQ(out.pairs, c.pairs);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.message, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(cases, reader_test, testing::ValuesIn(reader_cases),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(reader, a_huge_input_is_read_in_constant_memory) {
  std::string input;
  for (int i = 0; i < 100000; ++i)
    input += std::to_string(i) + " " + std::to_string(-i) + "\n";
  const outcome out = read_through_pipe(input, false);
  ASSERT_EQ(out.pairs.size(), 100000u);
  EXPECT_EQ(out.pairs.back(), std::make_pair(99999, -99999));
  EXPECT_EQ(out.status, read_end);
}

TEST(reader, returns_a_pair_once_the_byte_after_it_arrives) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "10 20 3", 7), 7);
  // The writer stays open: a reader that waits for more than it needs would hang here.
  alarm(10);
  point_reader rd;
  open_reader(&rd, fds[0]);
  std::int32_t x = 0;
  std::int32_t y = 0;
  EXPECT_EQ(read_pair(&rd, &x, &y), read_ok);
  alarm(0);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  close(fds[0]);
  close(fds[1]);
}

TEST(reader, reports_a_read_error_with_the_system_text) {
  const int fd = open("/", O_RDONLY);
  ASSERT_GE(fd, 0);
  point_reader rd;
  open_reader(&rd, fd);
  std::int32_t x = 0;
  std::int32_t y = 0;
  const read_status status = read_pair(&rd, &x, &y);
  close(fd);
  EXPECT_EQ(status, read_failed);
  char text[256] = {};
  FILE *mem = fmemopen(text, sizeof text - 1, "w");
  report_reading(&rd, status, "tp", "dir", mem);
  std::fclose(mem);
  EXPECT_STREQ(text, "tp: dir: Is a directory\n");
}

} // namespace

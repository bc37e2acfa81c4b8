#include "terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

namespace {

using testing::ElementsAreArray;

struct plot_case {
  const char *name;
  std::string input;
  std::vector<std::pair<int, int>> marks{}; // (row, col) on the screen just before it is blanked
  int rows = 24;
  int cols = 80;
  int status = 0;
  std::string message{};       // standard error after "<program>: <file>"
  const char *file = nullptr;  // the file's name, if not the case's
  const char *shown = nullptr; // and how messages show it
};

const plot_case plot_cases[] = {
    {.name = "one_pair", .input = "510 340\n", .marks = {{2, 10}}},
    {.name = "corners_and_just_outside",
     .input = "0 0\n4079 4079\n4080 0\n0 4080\n-51 0\n0 -171\n-50 -169\n",
     .marks = {{0, 0}, {23, 79}}},
    {.name = "lone_trailing_number", .input = "100 200 300", .marks = {{1, 1}}},
    {.name = "several_pairs_on_a_line", .input = "510 340 1020 680", .marks = {{2, 10}, {4, 20}}},
    {.name = "pair_split_over_lines", .input = "510\n340\n", .marks = {{2, 10}}},
    {.name = "same_pair_twice", .input = "510 340\n510 340\n", .marks = {{2, 10}}},
    {.name = "the_largest_values_fall_off_the_screen",
     .input = "2147483647 -2147483648 -2147483648 2147483647 510 340",
     .marks = {{2, 10}}},
    {.name = "empty", .input = ""},
    {.name = "only_white_space", .input = " \t\r\n\v\f\n"},
    {.name = "larger_screen",
     .input = "4095 4095 0 0 2000 1000 3999 4079",
     .marks = {{0, 0}, {14, 100}, {59, 199}},
     .rows = 60,
     .cols = 200},
    {.name = "not_an_integer",
     .input = "510 340\n1020 abc\n",
     .marks = {{2, 10}},
     .status = 1,
     .message = ":2: not an integer: abc\n"},
    {.name = "out_of_range",
     .input = "510 340 99999999999 0",
     .marks = {{2, 10}},
     .status = 1,
     .message = ":1: integer out of range: 99999999999\n"},
    {.name = "binary",
     .input = std::string("510 340\n\0\x01\x1b[2Jbinary", 20),
     .marks = {{2, 10}},
     .status = 1,
     .message = ":2: not an integer: \\x00\\x01\\x1b[2Jbinary\n"},
    {.name = "binary_after_a_pair",
     .input = "510 340\n\x89PNG\r\n\x1a\n" + std::string(4096, '\xff'),
     .marks = {{2, 10}},
     .status = 1,
     .message = ":2: not an integer: \\x89PNG\n"},
    {.name = "nul_in_a_number",
     .input = std::string("510 340\n10\0 5", 13),
     .marks = {{2, 10}},
     .status = 1,
     .message = ":2: not an integer: 10\\x00\n"},
    {.name = "control_bytes_in_the_path",
     .input = "510 340 x",
     .marks = {{2, 10}},
     .status = 1,
     .message = ":1: not an integer: x\n",
     .file = "red\x1b[31m\xff",
     .shown = "red\\x1b[31m\\xff"},
};

// Names the case in test output rather than dumping its bytes.
void PrintTo(const plot_case &c, std::ostream *os) {
  *os << c.name;
}

class plot_test : public testing::TestWithParam<plot_case> {};

TEST_P(plot_test, draws_the_marks_then_blanks_the_screen_and_restores_the_terminal) {
  const plot_case &c = GetParam();
  const std::string file = temp_file(c.file != nullptr ? c.file : c.name, c.input);
  const run_result r = run_captured(trackplot({file}), c.rows, c.cols);

  EXPECT_EQ(shell_status(r.status), c.status);
  const std::string shown = c.shown != nullptr ? temp_dir() + "/" + c.shown : file;
  EXPECT_EQ(r.err, c.message.empty() ? "" : TRACKPLOT_PATH + (": " + shown) + c.message);

  emulator term(c.rows, c.cols);
  term.feed(before_final_clear(r.out));
  EXPECT_TRUE(term.alt_active) << "the plot is drawn on the alternate screen";
  EXPECT_THAT(r.out, testing::HasSubstr("\x1b[?1h\x1b=")) << "function keys send single codes";
  EXPECT_THAT(term.lines(), ElementsAreArray(picture(c.rows, c.cols, c.marks)));

  term.feed(r.out.substr(before_final_clear(r.out).size()));
  EXPECT_TRUE(term.alt_entered);
  EXPECT_FALSE(term.alt_active);
  EXPECT_THAT(term.lines(), ElementsAreArray(picture(c.rows, c.cols, {})));
}

INSTANTIATE_TEST_SUITE_P(cases, plot_test, testing::ValuesIn(plot_cases),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(plot, huge_inputs_run_to_their_end) {
  std::string one_line;
  std::vector<std::pair<int, int>> marks;
  // The pairs move to another cell every 5000, so the line draws 200 marks.
  for (int i = 0; i < 1000000; ++i) {
    const int k = i / 5000;
    one_line += std::to_string(k % 80 * 51) + " " + std::to_string(k % 24 * 170) + " ";
    if (i % 5000 == 0)
      marks.emplace_back(k % 24, k % 80);
  }
  const struct {
    const char *name;
    std::string input;
    std::vector<std::pair<int, int>> marks;
  } cases[] = {
      {"white_space_64_mib", std::string(64 << 20, ' ') + "\n510\t340\n", {{2, 10}}},
      {"a_line_of_a_million_pairs", one_line + "\n", marks},
  };
  for (const auto &c : cases) {
    const run_result r = run_captured(trackplot({temp_file(c.name, c.input)}), 24, 80);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(screen_before_final_clear(r.out, 24, 80),
                ElementsAreArray(picture(24, 80, c.marks)));
  }
}

// A producer piped into /dev/stdin is drawn until it stops; one that sends a number without end is
// stopped as soon as the number is known to be bad, with the marks before it shown.
TEST(plot, reads_a_producer_through_dev_stdin) {
  const std::string zeros(32, '0');
  const struct {
    const char *name;
    std::string producer;
    std::vector<std::pair<int, int>> marks;
    int status = 1;
    std::string message{}; // standard error after "<program>: /dev/stdin"
  } cases[] = {
      // Two writes with a pause between them, the way a live producer sends.
      {.name = "two_writes",
       .producer = "printf '510 340\\n'; sleep 0.1; printf '1020 680\\n'",
       .marks = {{2, 10}, {4, 20}},
       .status = 0},
      {.name = "endless_number",
       .producer = "printf '510 340 '; yes 1 | tr -d '\\n'",
       .marks = {{2, 10}},
       .message = ":1: integer out of range: " + std::string(32, '1') + "...\n"},
      {.name = "forty_digits_then_endless_letters",
       .producer = "printf '510 340 %040d' 0; yes a | tr -d '\\n'",
       .marks = {{2, 10}},
       .message = ":1: not an integer: " + zeros + "...\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    // A run that never ends is cut short, and fails on its status.
    const std::string pipeline =
        "{ " + c.producer + "; } | timeout 20 " + std::string(TRACKPLOT_PATH) + " /dev/stdin";
    const run_result r = run_captured({"/bin/sh", "-c", pipeline}, 24, 80);
    EXPECT_EQ(shell_status(r.status), c.status);
    EXPECT_EQ(r.err, c.message.empty() ? "" : TRACKPLOT_PATH + (": /dev/stdin" + c.message));
    EXPECT_THAT(screen_before_final_clear(r.out, 24, 80),
                ElementsAreArray(picture(24, 80, c.marks)));
  }
}

TEST(plot, the_path_defaults_to_car3_txt_and_further_arguments_are_ignored) {
  const std::string dir = temp_dir() + "/";
  temp_file("car3.txt", "510 340\n");
  temp_file("other.txt", "1020 680\n");
  const std::vector<std::pair<std::vector<std::string>, std::pair<int, int>>> cases{
      {{}, {2, 10}}, {{"car3.txt", "other.txt"}, {2, 10}}, {{"other.txt", "car3.txt"}, {4, 20}}};
  for (const auto &[args, mark] : cases) {
    const run_result r = run_captured(trackplot(args), 24, 80, dir);
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(screen_before_final_clear(r.out, 24, 80),
                ElementsAreArray(picture(24, 80, {mark})));
  }
}

TEST(plot, a_file_that_cannot_be_plotted_leaves_the_terminal_untouched) {
  const std::string empty_dir = temp_dir() + "/empty_dir";
  std::filesystem::create_directory(empty_dir);
  const std::string points = temp_file("points_for_no_output", "510 340\n");
  const std::string no_output = ": standard output: Bad file descriptor\n";
  const struct {
    std::vector<std::string> argv;
    std::string message; // after "<program>"
  } cases[] = {
      {trackplot({}), ": car3.txt no such file\n"},
      {trackplot({"/nonexistent/points.txt"}), ": /nonexistent/points.txt no such file\n"},
      {trackplot({temp_dir()}), ": " + temp_dir() + " no such file\n"},
      {trackplot({"/nonexistent/\x1b]2;title\x07\x80"}),
       ": /nonexistent/\\x1b]2;title\\x07\\x80 no such file\n"},
      // Standard output closed, or open for reading only: curses would draw nowhere.
      {{"/bin/sh", "-c", "exec \"$0\" \"$1\" >&-", TRACKPLOT_PATH, points}, no_output},
      {{"/bin/sh", "-c", "exec \"$0\" \"$1\" 1</dev/null", TRACKPLOT_PATH, points}, no_output},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.message);
    const run_result r = run_captured(c.argv, 24, 80, empty_dir);
    EXPECT_EQ(shell_status(r.status), 1);
    EXPECT_EQ(r.err, TRACKPLOT_PATH + c.message);
    EXPECT_EQ(r.out, "");
  }
}

TEST(plot, a_read_error_is_reported_and_the_terminal_restored) {
  // A process's memory read from offset 0 is its address 0, which Linux never maps (mmap_min_addr
  // keeps the lowest page free), so the first read fails with EIO on every Linux.
  const run_result r = run_captured(trackplot({"/proc/self/mem"}), 24, 80);
  EXPECT_EQ(shell_status(r.status), 1);
  EXPECT_EQ(r.err, TRACKPLOT_PATH + std::string(": /proc/self/mem: Input/output error\n"));
  emulator term(24, 80);
  term.feed(r.out);
  EXPECT_TRUE(term.alt_entered);
  EXPECT_FALSE(term.alt_active);
  EXPECT_THAT(term.lines(), ElementsAreArray(picture(24, 80, {})));
}

// A terminal that curses cannot drive is left untouched, and the message says why, showing the
// type as messages show what comes from outside.
TEST(plot, a_terminal_that_cannot_show_the_plot_is_left_untouched) {
  const std::string file = temp_file("terminal_types", "510 340\n");
  const struct {
    const char *term;
    std::string message; // after "<program>: "
  } cases[] = {
      {"dumb", "terminal type dumb cannot move the cursor to a given cell"},
      {"no-such-terminal", "terminal type no-such-terminal is not known"},
      {"\x1b]2;title\x07\x1b[2J", "terminal type \\x1b]2;title\\x07\\x1b[2J is not known"},
      {"", "TERM is not set"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.message);
    const run_result r = run_captured(trackplot({file}), 24, 80, "", c.term);
    EXPECT_EQ(shell_status(r.status), 1);
    EXPECT_EQ(r.err, TRACKPLOT_PATH + (": " + c.message) + "\n");
    EXPECT_EQ(r.out, "");
  }
}

} // namespace

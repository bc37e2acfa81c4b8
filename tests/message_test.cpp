#include "terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAreArray;

struct span {
  int row;
  int col;
  std::string text;
};

struct message_case {
  const char *name;
  std::vector<std::string> steps;
  std::vector<span> shown{};     // all text on the screen
  std::vector<span> bold{};      // the part of it that is bold
  std::vector<span> underline{}; // and underlined
  VTermPos cursor{0, 0};
  int rows = 24;
  int cols = 80;
};

const message_case message_cases[] = {
    {.name = "bold_at_row_19_column_10",
     .steps = {"err:disk full", "refresh"},
     .shown = {{19, 10, "disk full"}},
     .bold = {{19, 10, "disk full"}}},
    {.name = "not_shown_before_a_refresh", .steps = {"err:disk full"}},
    {.name = "a_shorter_message_leaves_the_tail",
     .steps = {"err:first message", "err:second", "refresh"},
     .shown = {{19, 10, "secondmessage"}},
     .bold = {{19, 10, "secondmessage"}}},
    {.name = "cursor_and_attributes_come_back",
     .steps = {"move:5,7", "underline", "put:AB", "err:note", "put:CD", "refresh"},
     .shown = {{5, 7, "ABCD"}, {19, 10, "note"}},
     .bold = {{19, 10, "note"}},
     .underline = {{5, 7, "AB"}},
     .cursor = {5, 11}},
    {.name = "percent_signs_are_literal",
     .steps = {"err:%s %d%%", "refresh"},
     .shown = {{19, 10, "%s %d%%"}},
     .bold = {{19, 10, "%s %d%%"}}},
    {.name = "too_few_rows",
     .steps = {"move:3,4", "err:hidden", "put:X", "refresh"},
     .shown = {{3, 4, "X"}},
     .cursor = {3, 5},
     .rows = 19},
    {.name = "too_few_columns",
     .steps = {"move:3,4", "err:hidden", "put:X", "refresh"},
     .shown = {{3, 4, "X"}},
     .cursor = {3, 5},
     .cols = 10},
    {.name = "smallest_screen_that_shows_it",
     .steps = {"move:3,4", "err:a", "put:X", "refresh"},
     .shown = {{3, 4, "X"}, {19, 10, "a"}},
     .bold = {{19, 10, "a"}},
     .cursor = {3, 5},
     .rows = 20,
     .cols = 11},
};

void PrintTo(const message_case &c, std::ostream *os) {
  *os << c.name;
}

bool covers(const std::vector<span> &spans, int row, int col) {
  for (const span &s : spans)
    if (s.row == row && col >= s.col && col < s.col + static_cast<int>(s.text.size()))
      return true;
  return false;
}

class message_test : public testing::TestWithParam<message_case> {};

TEST_P(message_test, shows_the_message_and_leaves_the_rest_as_it_was) {
  const message_case &c = GetParam();
  std::vector<std::string> argv{MESSAGE_PROBE_PATH};
  argv.insert(argv.end(), c.steps.begin(), c.steps.end());
  const run_result r = run_captured(argv, c.rows, c.cols);
  ASSERT_EQ(r.status, 0) << r.err;

  emulator term(c.rows, c.cols);
  term.feed(before_final_clear(r.out));
  std::vector<std::string> want = picture(c.rows, c.cols, {});
  for (const span &s : c.shown)
    want.at(static_cast<std::size_t>(s.row))
        .replace(static_cast<std::size_t>(s.col), s.text.size(), s.text);
  EXPECT_THAT(term.lines(), ElementsAreArray(want));
  for (int row = 0; row < c.rows; ++row)
    for (int col = 0; col < c.cols; ++col) {
      const VTermScreenCell cell = term.cell(row, col);
      EXPECT_EQ(cell.attrs.bold != 0, covers(c.bold, row, col)) << row << "," << col;
      EXPECT_EQ(cell.attrs.underline != 0, covers(c.underline, row, col)) << row << "," << col;
    }
  EXPECT_EQ(term.cursor().row, c.cursor.row);
  EXPECT_EQ(term.cursor().col, c.cursor.col);
}

INSTANTIATE_TEST_SUITE_P(cases, message_test, testing::ValuesIn(message_cases),
                         [](const auto &param) { return std::string(param.param.name); });

} // namespace

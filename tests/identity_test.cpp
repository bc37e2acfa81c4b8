#include "terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string repeat(const std::string &pair, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += pair;
  return out;
}

std::string generated(const char *kind, const char *count) {
  const run_result r = run_captured({MAKE_POINTS_PATH, kind, count}, 24, 80);
  EXPECT_EQ(r.status, 0);
  return r.out;
}

// The run skips refreshes that would send nothing; the terminal must get the very bytes that a
// refresh after every pair sends.
TEST(identity, the_terminal_gets_the_bytes_of_a_refresh_after_every_pair) {
  const struct {
    const char *name;
    std::string input;
  } cases[] = {
      {"lap", generated("lap", "6000")},
      {"random", generated("random", "6000")},
      {"off_the_screen_on_every_side",
       "510 340 -100 2000 5000 2000 2000 -200 2000 5000 -51 -171 4080 4080 510 340 4096 0 0 4096 "
       "1020 680 -5000 -5000\n"},
      {"bottom_right_corner", repeat("4079 4079\n", 3) + "4000 4079\n" + repeat("3999 4079\n", 3) +
                                  "4079 3910\n" + repeat("4079 4079\n", 2) + "0 0\n3999 4079\n"},
      {"runs_of_duplicates", repeat("510 340\n", 5) + repeat("1020 680\n", 3) +
                                 repeat("510 340\n", 4) + repeat("4030 100\n", 3) +
                                 repeat("3990 100\n", 3) + repeat("0 0\n", 2)},
      {"only_off_the_screen", "5000 5000\n-300 -300\n"},
      {"starts_off_the_screen", "5000 5000\n-300 -300\n" + repeat("510 340\n", 2) + "9000 0\n"},
  };
  for (const auto &c : cases) {
    const std::string file = temp_file(std::string("identity_") + c.name, c.input);
    for (const auto &[rows, cols] : {std::pair{24, 80}, std::pair{60, 200}}) {
      SCOPED_TRACE(testing::Message() << c.name << " on " << cols << "x" << rows);
      const run_result ours = run_captured(trackplot({file}), rows, cols);
      const run_result base = run_captured({BASELINE_PATH, file}, rows, cols);
      EXPECT_EQ(ours.status, 0);
      EXPECT_EQ(base.status, 0);
      EXPECT_GT(ours.out.size(), 0u);
      // The first difference, rather than two screens of escape sequences.
      const auto diff =
          std::mismatch(ours.out.begin(), ours.out.end(), base.out.begin(), base.out.end());
      EXPECT_TRUE(diff.first == ours.out.end() && diff.second == base.out.end())
          << "first difference at byte " << (diff.first - ours.out.begin()) << " of "
          << ours.out.size() << " against " << base.out.size();
    }
  }
}

// Where a refresh would send nothing the run asks for none: a run of the same pair, or of pairs
// off the screen, costs one update, that of the first pair, which clears the terminal, and the
// final blanking.
TEST(identity, pairs_that_change_nothing_ask_for_no_update) {
  const struct {
    const char *name;
    std::string input;
    long updates;
  } cases[] = {
      {"same_pair", repeat("510 340\n", 1000), 2},
      {"off_the_screen", repeat("5000 5000\n-300 -300\n", 500), 2},
      {"bottom_right_corner", repeat("4079 4079\n", 1000), 2},
      {"back_and_forth", repeat("510 340\n1020 680\n", 500), 1001},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = temp_file(std::string("updates_") + c.name, c.input);
    const std::string counted = file + ".updates";
    const run_result r =
        run_captured({"/usr/bin/env", std::string("LD_PRELOAD=") + REFRESH_COUNT_PATH,
                      "REFRESH_COUNT_FILE=" + counted, TRACKPLOT_PATH, file},
                     24, 80);
    EXPECT_EQ(r.status, 0);
    long updates = -1;
    std::ifstream(counted) >> updates;
    EXPECT_EQ(updates, c.updates);
  }
}

} // namespace

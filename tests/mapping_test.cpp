#include "plot.h"

#include <gtest/gtest.h>

namespace {

TEST(mapping, scale_is_the_full_scale_over_the_cells_truncated) {
  const struct {
    int cells;
    int scale;
  } cases[] = {{80, 51}, {24, 170}, {200, 20}, {4096, 1}, {4097, 0}, {0, 0}, {-1, -4096}};
  for (const auto &c : cases)
    EXPECT_EQ(scale_for(c.cells), c.scale) << c.cells << " cells";
}

TEST(mapping, a_null_window_has_size_minus_one) {
  plot_state ps{};
  size_screen(&ps);
  EXPECT_EQ(ps.cols, -1);
  EXPECT_EQ(ps.rows, -1);
  EXPECT_EQ(ps.x_scale, -4096);
  EXPECT_EQ(ps.y_scale, -4096);
}

TEST(mapping, samples_map_to_cells_truncating_toward_zero) {
  const struct {
    int x_scale, y_scale, x, y, col, row;
  } cases[] = {
      {51, 170, 0, 0, 0, 0},         {51, 170, 510, 340, 10, 2},
      {51, 170, 4079, 4079, 79, 23}, {51, 170, 4080, 4080, 80, 24},
      {51, 170, -50, -169, 0, 0},    {51, 170, -51, -170, -1, -1},
      {20, 68, 4095, 4095, 204, 60}, {0, 170, 4095, 340, -1, 2},
      {51, 0, 510, 0, 10, -1},       {51, 170, 2147483647, -2147483647 - 1, 42107522, -12632256},
  };
  for (const auto &c : cases) {
    plot_state ps{};
    ps.x_scale = c.x_scale;
    ps.y_scale = c.y_scale;
    ps.x = c.x;
    ps.y = c.y;
    map_pair(&ps);
    EXPECT_EQ(ps.col, c.col) << c.x << " over " << c.x_scale;
    EXPECT_EQ(ps.row, c.row) << c.y << " over " << c.y_scale;
  }
}

} // namespace

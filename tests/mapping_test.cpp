#include "plot.h"
#include "scale.h"

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
  EXPECT_EQ(measure_screen(&ps), 0);
  EXPECT_EQ(ps.cols, -1);
  EXPECT_EQ(ps.rows, -1);
  EXPECT_EQ(ps.x_scale, -4096);
  EXPECT_EQ(ps.y_scale, -4096);
}

} // namespace

#include "place.h"

#include "scale.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The largest value that still shows on an axis of so many cells: a cell is 4096 / cells units,
// truncated, so the last ends at cells * (4096 / cells) - 1. On more cells than the full scale
// nothing shows at all, and the full scale is used.
int top_of(int cells) {
  return cells > 0 && cells <= full_scale ? cells * scale_for(cells) - 1 : full_scale - 1;
}

// Where v lies between lo and hi, from 0 to 1, and 1/2 where they are the same. Halved first, the
// values as far apart as doubles allow have a finite difference.
double fraction(double v, double lo, double hi) {
  const double span = hi / 2 - lo / 2;
  return span > 0 ? (v / 2 - lo / 2) / span : 0.5;
}

} // namespace

frame frame_between(const double lo[2], const double hi[2], screen_size screen, bool equal,
                    bool map) {
  frame f{{lo[0], lo[1]}, {hi[0], hi[1]}, {1, 1}, {top_of(screen.cols), top_of(screen.rows)}};
  if (!equal)
    return f;
  // On a map, a degree of longitude is shorter than one of latitude by the cosine of the latitude,
  // taken at the middle, which lies between the poles.
  const double across = map ? std::cos((lo[1] / 2 + hi[1] / 2) * std::numbers::pi / 180) : 1;
  // The data's width over its height, against the screen's; a cell is twice as high as wide.
  const double wider = (hi[0] / 2 - lo[0] / 2) * std::fabs(across) / (hi[1] / 2 - lo[1] / 2) * 2 *
                       screen.rows / screen.cols;
  if (std::isnan(wider))
    return f;
  f.part[0] = std::min(1.0, wider);
  f.part[1] = std::min(1.0, 1 / wider);
  return f;
}

int place(const frame &f, int axis, double v) {
  const int top = f.top[axis];
  // What the data does not fill of the axis is shared out on both sides.
  const double at = fraction(v, f.lo[axis], f.hi[axis]) * f.part[axis] + (1 - f.part[axis]) / 2;
  const int cell = std::clamp(static_cast<int>(at * top), 0, top);
  return axis == 0 ? cell : top - cell;
}

double value_at_edge(const frame &f, int axis, bool last) {
  const double at = ((last ? 1 : 0) - (1 - f.part[axis]) / 2) / f.part[axis];
  return f.lo[axis] + at * (f.hi[axis] - f.lo[axis]);
}

#include "picture.h"

#include "scale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Room beyond the values on a side they have grown towards, as a share of how far they reach: much
// where they have grown one way alone, as a clock does, less where they have grown both ways, as
// readings that wander about do.
constexpr double room_one_way = 0.5;
constexpr double room_both_ways = 0.2;

void frame_values(picture *p, const double lo[2], const double hi[2], const options &opt) {
  p->placed = frame_between(lo, hi, p->size, opt.equal, opt.map);
}

// Frames a growing axis anew over its values, with room on the sides they have grown towards.
void frame_reach(const picture &p, int axis, double *lo, double *hi) {
  const double lowest = p.reach[axis][0];
  const double highest = p.reach[axis][1];
  // Halved first, the values as far apart as doubles allow have a finite difference.
  const double room = p.grown[axis][0] && p.grown[axis][1] ? room_both_ways : room_one_way;
  const double extra = room * 2 * (highest / 2 - lowest / 2);
  *lo = p.grown[axis][0] ? std::max(lowest - extra, -DBL_MAX) : lowest;
  *hi = p.grown[axis][1] ? std::min(highest + extra, DBL_MAX) : highest;
}

} // namespace

void frame_picture(picture *p, screen_size size, const double lo[2], const double hi[2],
                   const options &opt, bool grows) {
  for (int axis = 0; axis < 2; ++axis)
    p->grows[axis] = grows && !opt.ranged[axis];
  p->size = size;
  frame_values(p, lo, hi, opt);
  p->marked.assign(static_cast<std::size_t>(size.rows) * static_cast<std::size_t>(size.cols), 0);
}

void resize_picture(picture *p, screen_size size, const options &opt) {
  const frame before = p->placed;
  p->size = size;
  frame_values(p, before.lo, before.hi, opt);
  p->marked.assign(static_cast<std::size_t>(size.rows) * static_cast<std::size_t>(size.cols), 0);
}

bool grow_to_hold(picture *p, const double v[2], const options &opt) {
  bool grew = false;
  double lo[2] = {p->placed.lo[0], p->placed.lo[1]};
  double hi[2] = {p->placed.hi[0], p->placed.hi[1]};
  for (int axis = 0; axis < 2; ++axis) {
    if (!p->grows[axis])
      continue;
    if (p->pairs == 0) {
      p->first[axis] = p->reach[axis][0] = p->reach[axis][1] = v[axis];
      lo[axis] = hi[axis] = v[axis];
      grew = true;
      continue;
    }
    p->reach[axis][0] = std::min(p->reach[axis][0], v[axis]);
    p->reach[axis][1] = std::max(p->reach[axis][1], v[axis]);
    p->grown[axis][0] = p->grown[axis][0] || v[axis] < p->first[axis];
    p->grown[axis][1] = p->grown[axis][1] || v[axis] > p->first[axis];
    if (v[axis] >= lo[axis] && v[axis] <= hi[axis])
      continue;
    frame_reach(*p, axis, &lo[axis], &hi[axis]);
    grew = true;
  }
  ++p->pairs;
  if (grew)
    frame_values(p, lo, hi, opt);
  return grew;
}

bool mark_new_cell(picture *p, int x, int y) {
  const int col_scale = scale_for(p->size.cols);
  const int row_scale = scale_for(p->size.rows);
  // A screen larger than the full scale, which trackplot turns down, has no cells to remember.
  if (col_scale <= 0 || row_scale <= 0)
    return true;
  std::uint8_t &cell =
      p->marked[static_cast<std::size_t>(y / row_scale) * static_cast<std::size_t>(p->size.cols) +
                static_cast<std::size_t>(x / col_scale)];
  const bool is_new = cell == 0;
  cell = 1;
  return is_new;
}

void clear_cells(picture *p) {
  std::fill(p->marked.begin(), p->marked.end(), 0);
}

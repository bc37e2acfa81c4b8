#include "onscale.h"

#include <algorithm>
#include <cmath>
#include <curses.h>
#include <fcntl.h>
#include <numbers>
#include <term.h>
#include <unistd.h>

namespace {

// The largest value that still shows on an axis of so many cells: a cell is 4096 / cells units,
// truncated, so the last ends at cells * (4096 / cells) - 1. On more cells than the full scale
// nothing shows at all, and the full scale is used.
int top_of(int cells) {
  return cells > 0 && cells <= 4096 ? cells * (4096 / cells) - 1 : 4095;
}

// Where v lies between lo and hi, from 0 to 1, and 1/2 where they are the same. Halved first, the
// values as far apart as doubles allow have a finite difference.
double fraction(double v, double lo, double hi) {
  const double span = hi / 2 - lo / 2;
  return span > 0 ? (v / 2 - lo / 2) / span : 0.5;
}

} // namespace

void size_screen(onscale_state *st) {
  // Curses works the size out as it starts, from the controlling terminal, which neither standard
  // input nor standard output need be, and from LINES and COLUMNS; a terminal type it does not
  // know, which trackplot turns down, leaves the size to those alone.
  const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  const int fd = tty >= 0 ? tty : STDERR_FILENO;
  int found = 0;
  st->rows = 24;
  st->cols = 80;
  if (setupterm(nullptr, fd, &found) == OK || setupterm("dumb", fd, &found) == OK) {
    st->rows = LINES;
    st->cols = COLS;
    del_curterm(cur_term);
  }
  if (tty >= 0)
    close(tty);
}

void shape(const onscale_state *st, frame *f) {
  f->share[0] = 1;
  f->share[1] = 1;
  if (!st->equal)
    return;
  // On a map, a degree of longitude is shorter than one of latitude by the cosine of the latitude,
  // taken at the middle.
  const double across =
      st->map ? std::cos((f->lo[1] / 2 + f->hi[1] / 2) * std::numbers::pi / 180) : 1;
  // The data's width over its height, against the screen's; a cell is twice as high as wide.
  const double wider = (f->hi[0] / 2 - f->lo[0] / 2) * across / (f->hi[1] / 2 - f->lo[1] / 2) * 2 *
                       st->rows / st->cols;
  if (std::isnan(wider))
    return;
  f->share[0] = std::min(1.0, wider);
  f->share[1] = std::min(1.0, 1 / wider);
}

int place(const onscale_state *st, const frame *f, int axis, double v) {
  const int top = top_of(axis == 0 ? st->cols : st->rows);
  // What the data does not fill of the axis is shared out on both sides.
  const double at =
      fraction(v, f->lo[axis], f->hi[axis]) * f->share[axis] + (1 - f->share[axis]) / 2;
  const int cell = std::clamp(static_cast<int>(at * top), 0, top);
  return axis == 0 ? cell : top - cell;
}

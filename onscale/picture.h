// The picture onscale -p draws with trackplot: the frame its values are placed in, for the size of
// the screen, and the cells marked, so that a pair whose cell is marked already is not sent: it
// would change nothing on the screen.
#pragma once

#include "options.h"
#include "place.h"

#include <cstdint>
#include <vector>

struct picture {
  screen_size size;
  frame placed;       // how the values are placed now
  bool grows[2];      // the axis has no range and is read as it comes: its frame grows
  double reach[2][2]; // the smallest and largest values of a growing axis so far
  bool grown[2][2];   // it has grown below, and above, its first value
  double first[2];    // which is this
  long pairs;         // placed so far
  std::vector<std::uint8_t> marked; // a byte a cell, 1 where it holds a mark
};

// Frames the picture for the size: each axis from lo to hi. Where grows, an axis without a range is
// framed anew as the values come, from the first on.
void frame_picture(picture *p, screen_size size, const double lo[2], const double hi[2],
                   const options &opt, bool grows);

// Frames the same values for a screen of another size, its cells clear.
void resize_picture(picture *p, screen_size size, const options &opt);

// Takes in the values of a pair as they come; where one falls outside the frame of a growing
// axis, the frame grows to hold it, with room beyond the values on each side that they have grown
// towards, a share of how far they reach, and true is returned: the picture is to be drawn anew.
// So a feed whose range keeps growing is drawn anew a number of times that grows with the
// logarithm of its range.
bool grow_to_hold(picture *p, const double v[2], const options &opt);

// Whether the cell of a pair placed at x and y holds no mark yet; it is marked.
bool mark_new_cell(picture *p, int x, int y);

// Clears the cells, for a picture drawn anew.
void clear_cells(picture *p);

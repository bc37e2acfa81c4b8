// Where values land on trackplot's scale, for the screen it draws on.
#pragma once

// A screen's size, in cells.
struct screen_size {
  int rows;
  int cols;
};

// How values are placed on each axis, x then y: the values that land on its first and last sample
// that shows, before the data is centred, the part of the axis that the data takes, centred on it,
// and the last sample that shows.
struct frame {
  double lo[2];
  double hi[2];
  double part[2];
  int top[2];
};

// Places values from lo to hi on the screen: over all of each axis, unless a unit is to be as long
// across as down (equal), where the data is centred on the axis it does not fill; on a map, a unit
// of longitude is a unit of latitude shortened by the cosine of the middle latitude.
frame frame_between(const double lo[2], const double hi[2], screen_size screen, bool equal,
                    bool map);

// Where a value falls on the scale of the axis; y is turned over, so that larger values are
// higher up.
int place(const frame &f, int axis, double v);

// The value that lands on the first sample that shows on the axis, at the left or the bottom, or
// on the last, at the right or the top.
double value_at_edge(const frame &f, int axis, bool last);

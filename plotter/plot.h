// The run's state and the steps of a plot run.
#pragma once

#include <cstdint>
#include <curses.h>

// Everything the run knows between its steps; exactly one exists per run.
struct plot_state {
  WINDOW *win;          // the standard screen, as curses started it
  std::int32_t cols;    // width of win in columns, -1 for no window
  std::int32_t rows;    // height of win in rows, -1 for no window
  std::int32_t x_scale; // sample units per column
  std::int32_t y_scale; // sample units per row
  std::int32_t x;       // latest pair, in sample units
  std::int32_t y;
  std::int32_t col; // cell of the latest pair
  std::int32_t row;
};

// Samples run over a full scale of this many steps on both axes.
inline constexpr std::int32_t full_scale = 4096;

// Sample units per cell for a screen dimension of the given number of cells.
std::int32_t scale_for(std::int32_t cells);

// Takes the size of win once and works out both scales from it.
void size_screen(plot_state *ps);

// Maps the latest pair onto its cell.
void map_pair(plot_state *ps);

// Writes "*" at the latest pair's cell of the standard screen. Returns 1 when the terminal needs a
// refresh to show it, 0 when a refresh would send nothing: the cell is off the screen, or it holds
// the mark already and the cursor ends where it was.
int mark_pair(plot_state *ps);

// The whole run of the program; returns its exit status.
int plot_run(int argc, char **argv);

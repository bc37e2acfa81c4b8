// The one record of a plot run's state, shared by the run, its signals and its messages.
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
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
  // What it takes to draw the plot again when the terminal changes size.
  std::uint8_t *marked;  // a byte for each cell of the start-up screen, 1 where it holds a mark
  std::int32_t mark_col; // cell of the latest mark, -1 before the first
  std::int32_t mark_row;
  std::int32_t drawn_cols; // the screen's size when the marks were last drawn
  std::int32_t drawn_rows;
  bool refreshed; // the first refresh, which clears the terminal, is made
  long updates;   // refreshes that sent something, so that signals are looked for every so many
  FILE *in;       // the point file
  // The signals the run takes itself.
  sigset_t blocked;   // blocked from the start to the end of the run
  int signal_fd = -1; // where the blocked ones are read while pending
  int ending;         // the interrupt or request to terminate that ends the run, or 0
};

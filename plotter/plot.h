// The steps of a plot run.
#pragma once

#include "plot_state.h"

#include <cstdint>

// What marks a pair's cell.
inline constexpr chtype mark = '*';

// Measures win once, works out both scales from its size and makes room to remember a mark in each
// cell; returns 1 when that room cannot be had, 0 otherwise.
int measure_screen(plot_state *ps);

// Maps the latest pair onto its cell.
void map_pair(plot_state *ps);

// Writes the mark in the cell of the standard screen and remembers it; returns whether the terminal
// needs a refresh to show what the screen holds. It does not when the refresh would send nothing:
// the terminal shows the screen already, and the cell is off the screen, or it holds the mark
// already and the cursor ends where it was.
bool mark_cell(plot_state *ps, std::int32_t row, std::int32_t col);

// Brings the terminal up to date with the plot, drawing every mark that fits again after a change
// of size; nothing while the terminal is handed back.
void show_plot(plot_state *ps);

// The whole run of the program; returns its exit status.
int plot_run(int argc, char **argv);

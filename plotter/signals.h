// The signals the run takes itself: an interrupt, a request to terminate, a Ctrl-Z, the SIGCONT
// after any stop, and a resize. They are blocked for the whole run, so that none is lost whenever
// it comes, and read from a signal descriptor between two pairs.
#pragma once

#include "plot_state.h"

// Blocks the signals the run takes itself and opens the descriptor they are read from; returns 0,
// or -1 with errno set where it cannot be opened. Called before curses starts, which is kept from
// taking them over.
int block_signals(plot_state *ps);

// Once curses has started, gives the interrupt, terminate and suspend signals back their default
// actions, which they take when the run passes them on.
void reclaim_signals(const plot_state *ps);

// Answers the pending signals and returns the one that ends the run, or 0. A Ctrl-Z hands the
// terminal back and stops the run until SIGCONT; any SIGCONT hands the terminal back too, as a
// stop by SIGSTOP left it to the shell. A resize goes on to curses, which notes it for the next
// update, unless the run does not take the new size. Last, the terminal is taken again where it
// was handed back and its size is one the run takes.
int answer_signals(const plot_state *ps);

// Takes the pending signals once the run is over and returns the interrupt or request to
// terminate among them, or 0.
int ending_signal(const plot_state *ps);

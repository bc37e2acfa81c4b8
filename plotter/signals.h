// The signals the run takes itself: an interrupt, a request to terminate, a Ctrl-Z, the SIGCONT
// after any stop, and a resize. They are blocked for the whole run, so that none is lost whenever
// it comes, and read from a signal descriptor between two pairs.
#pragma once

#include "plot_state.h"

// Blocks the signals the run takes itself and opens the descriptor they are read from; returns 0,
// or -1 with errno set where it cannot be opened. One ignored when the run starts stays ignored.
// Called before curses starts, which is kept from taking them over.
int block_signals(plot_state *ps);

// Once curses has started, gives the interrupt, terminate and suspend signals back their default
// actions, which they take when the run passes them on.
void reclaim_signals(plot_state *ps);

// Whether a blocked signal is pending, asked of the descriptor without taking it.
bool signal_pending(const plot_state *ps);

// Takes the pending signals and returns the one that ends the run, or 0. A Ctrl-Z hands the
// terminal back and stops the run until SIGCONT; any SIGCONT hands the terminal back too, as a
// stop by SIGSTOP left it to the shell. A resize goes on to curses, which notes it for the next
// update, unless curses cannot hold the new size. Last, the terminal is taken again where it was
// handed back and curses can hold its size.
int take_signals(const plot_state *ps);

// Takes the pending signals once the run is over and returns the interrupt or request to
// terminate among them, or 0.
int take_ending_signal(const plot_state *ps);

// Ends the process by the signal, with its default action, as a shell expects of a program that a
// signal interrupts: it stops a loop of commands, and shows as status 130 for Ctrl-C, 143 for
// SIGTERM. Returns for 0.
void end_by_signal(int sig);

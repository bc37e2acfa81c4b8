// The signals onscale takes itself: an interrupt, a request to terminate, a hangup, a reader of its
// output gone, and, where it runs trackplot, trackplot's end and a Ctrl-Z. They are blocked from
// the start, so that none is lost whenever it comes, and read from a signal descriptor, so that
// onscale can say what it left out before it ends by the signal, and stop only once trackplot has.
#pragma once

#include <csignal>

struct interrupts {
  sigset_t before;  // the signals blocked when onscale started, as trackplot is to start
  sigset_t blocked; // those taken, but for any ignored when onscale started
  int fd;           // the signal descriptor
};

// Blocks the signals and opens their descriptor; SIGCHLD and SIGTSTP too where with_trackplot.
// Returns false, with errno set, where the descriptor cannot be opened.
bool block_interrupts(interrupts *in, bool with_trackplot);

// Takes the next pending signal; 0 where none is pending.
int next_interrupt(const interrupts &in);

// Takes a pending SIGTSTP, and returns whether one was.
bool stop_asked();

// Stops the process by SIGTSTP's default action, as if it had not been blocked; returns once it is
// continued.
void stop_as_asked();

// Blocks SIGTTOU, so that what is said before onscale ends, after a signal that has given the
// terminal to the shell, is written without stopping it.
void never_stop_for_the_terminal();

// Ends the process by the signal, with its default action, as a shell expects of a program that a
// signal interrupts. Returns for 0.
void end_by_signal(int sig);

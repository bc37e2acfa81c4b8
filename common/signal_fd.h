// Signals taken without a handler: blocked from the start, so that none is lost whenever it comes,
// and read from a signal descriptor, which a program polls beside whatever else it waits on.
#pragma once

#include <csignal>
#include <cstddef>

// Blocks those of the n signals that are not ignored now: one ignored when the program starts, as
// a shell ignores interrupts in a job it starts in the background, stays ignored, since blocked it
// would be pending all the same. Leaves the signals blocked in *blocked and the mask before in
// *before, where it is not null. Returns a descriptor they are read from, which does not block
// and closes on exec, or -1 with errno set.
int open_signal_fd(const int *signals, std::size_t n, sigset_t *blocked, sigset_t *before);

// Takes the next pending signal off the descriptor; 0 where none is pending. Where from_terminal
// is not null, it tells whether the terminal sent the signal, for a key such as Ctrl-C or a
// resize, to its whole foreground process group, or a process sent it, to whomever it chose.
int next_signal(int fd, bool *from_terminal = nullptr);

// Whether a signal is pending on the descriptor, asked without taking it.
bool signal_pending(int fd);

// Lets a signal taken off the descriptor have the effect it would have had unblocked: a Ctrl-Z
// stops the process until SIGCONT, a handler runs, a default action that ends the process ends it.
// Returns once the process goes on, with the signal blocked again.
void pass_on(int sig);

// Ends the process by the signal, with its default action, as a shell expects of a program that a
// signal interrupts: it stops a loop of commands, and shows as status 130 for Ctrl-C, 143 for
// SIGTERM. Returns for 0.
void end_by_signal(int sig);

// Blocks SIGTTOU, so that the terminal is written to or handed back without the process being
// stopped, where a signal has already given the terminal to another process group.
void hold_sigttou();

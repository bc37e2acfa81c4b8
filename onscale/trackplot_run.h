// trackplot, run by onscale -p to draw the pairs that onscale writes into a pipe.
#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>

// Finds trackplot: in the folder of onscale's own executable, so that a build folder works, else
// on the PATH; "" where neither has it.
std::string find_trackplot();

// A trackplot drawing the pairs, once it is started.
struct drawing {
  const char *path; // trackplot
  sigset_t blocked; // the signals blocked when onscale started, as trackplot is to start
  pid_t pid;        // once started, else 0
  int start_error;  // errno where it could not be started
  bool ended;       // it has ended, and been waited for
  int status;       // as waitpid gave it
};

// Starts trackplot on the terminal, reading the pairs from a pipe whose writing end, which does not
// block, is left in fd; false, with errno set, where it cannot be started.
bool start_drawing(drawing *d, int *fd);

// Whether trackplot has ended, without waiting for it.
bool drawing_ended(drawing *d);

// Waits for trackplot to end or stop, where it was started; returns whether it stopped.
bool wait_for_drawing(drawing *d);

// Whether trackplot drew a picture to its end: it ended by itself, or by a signal such as Ctrl-C,
// and not for a fault.
bool drew_picture(const drawing &d);

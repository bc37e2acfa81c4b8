// Where the pairs go as text, a pair a line: standard output, or the pipe of trackplot, which
// onscale -p runs to draw them on the terminal.
#pragma once

#include "place.h"

#include <csignal>
#include <cstddef>
#include <string>
#include <sys/types.h>

// Pairs written as text, and sent on as the descriptor takes them.
struct pair_text {
  int fd;            // standard output or trackplot's pipe; -1 while none is open
  int error;         // errno of the write that failed, 0 while none has
  std::size_t piece; // the most one write sends where the descriptor could block, so that it never
                     // does once poll has said it is writable
  std::size_t used;
  char buf[1 << 16];
};

// Starts writing pairs for fd.
void open_pair_text(pair_text *out, int fd);

// Adds a pair; returns whether the buffer is full and wants sending.
bool put_pair(pair_text *out, int x, int y);

// Sends what the descriptor takes now, and keeps the rest; false, with error set, where a write
// fails. Once one has, nothing more is sent.
bool send_pairs(pair_text *out);

// Finds trackplot: in the folder of onscale's own executable, so that a build folder works, else
// on the PATH; "" where neither has it.
std::string find_trackplot();

// A trackplot drawing the pairs.
struct drawing {
  const char *path; // trackplot
  sigset_t mask;    // the signal mask onscale started with, which trackplot starts with
  pid_t pid;        // while one runs, or has ended and not been started again; else 0
  bool stopped;     // it is stopped, as far as onscale has heard
  bool ended;       // it has ended, and been waited for
  int status;       // as waitpid gave it
  int start_error;  // errno where it could not be started
  sigset_t passed;  // the signals onscale has passed on to it
  pair_text out;    // the pairs for its pipe
};

// Starts trackplot on the terminal, for a screen of the size, given to it as LINES and COLUMNS,
// reading the pairs from a pipe that does not block; false, with start_error set, where it cannot
// be started.
bool start_drawing(drawing *d, screen_size size);

// Hears what became of trackplot: stopped, continued or ended; none of it is waited for.
void hear_drawing(drawing *d);

// Passes the signal on to trackplot, continuing it first where it is stopped, so that it can take
// the signal.
void pass_to_drawing(drawing *d, int sig);

// Ends trackplot's input: it draws what the pipe holds, blanks the screen, hands the terminal back
// and ends. Pairs not sent yet are dropped.
void end_drawing_input(drawing *d);

// Whether trackplot has ended otherwise than as it should: by a signal onscale did not pass on, or
// with a status other than 0.
bool drawing_failed(const drawing &d);

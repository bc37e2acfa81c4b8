// onscale's run: the lines read into pairs, and the pairs on their way out, with one wait in which
// it looks at every signal it takes, at its input and at its output together.
#pragma once

#include "outlet.h"
#include "reading.h"
#include "report.h"

// Why the reading stopped.
enum run_end : std::uint8_t {
  run_going,       // it has not: the input goes on, or ended, or a signal ended the run
  run_no_columns,  // a column named is not there, or holds what the options do not take
  run_input_error, // reading the input failed
};

struct run {
  const options *opt;
  message_head head;
  int signal_fd;
  data_source in;
  tally count;
  pairs_out out;
  bool read_all; // the input has ended, or failed
  int ending;    // the signal that ends the run, or 0
  run_end stop;
};

// Runs until the input has ended and every pair has gone out, and then for as long as the picture
// is held; or until a signal or a failure ends it. Says nothing.
void run_until_done(run *r);

// onscale's run: the lines read into pairs, and the pairs on their way out, with one wait in which
// it looks at every signal it takes, at its input and at its output together.
#pragma once

#include "drawing.h"
#include "kept.h"
#include "picture.h"
#include "reading.h"
#include "report.h"

#include <memory>

// How the pairs go out.
struct pairs_plan {
  bool draws;   // trackplot draws them on the terminal: -p, standard output a terminal
  bool as_text; // a picture is written as text once the input has ended: -p, to a file or a pipe
  bool at_once; // each pair goes out as soon as its line is read: both ranges are given, or the
                // picture grows with a feed
  bool grows;   // the picture's frame grows with a feed that has no range on some axis
  bool keeps;   // the pairs are kept: until the input has ended, or for the picture
  bool holds;   // the picture is held after the input's end, until Ctrl-C puts it away
};

// Why the run stopped.
enum run_end : std::uint8_t {
  run_done,        // the input ended and every pair went out; or a signal ended the run
  run_no_columns,  // a column named is not there, or holds what the options do not take
  run_input_error, // reading the input failed
  run_kept_error,  // the temporary file cannot take the pairs
  run_write_error, // the pairs cannot be written
  run_start_error, // trackplot cannot be started
  run_drawing_end, // trackplot ended by itself
};

struct run {
  const options *opt;
  message_head head;
  pairs_plan plan;
  int signal_fd;
  data_source in;
  tally count;
  std::unique_ptr<kept_pairs> kept;
  picture pic;
  screen_size size; // the size the picture is placed for
  drawing draw;
  std::unique_ptr<pair_text> text; // the pairs for standard output
  long replay;   // the next kept pair to send again, while the output catches up, or -1
  bool redraw;   // the picture is to be drawn anew, once the trackplot drawing it has ended
  bool read_all; // the input has ended, or failed
  int ending;    // the signal that ends the run, or 0
  run_end stop;
};

// The way the pairs go, for the options and the input.
pairs_plan plan_for(const options &opt, bool output_is_terminal, bool input_is_file,
                    bool interrupt_taken);

// Runs until the input has ended and every pair has gone out, and then for as long as the picture
// is held; or until a signal or a failure ends it. Says nothing.
void run_until_done(run *r);

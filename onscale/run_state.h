// What onscale's run knows as it goes: the way the pairs go, what it reads, where the pairs go and
// why it stopped. The run's loop, the pairs' way out and the job with trackplot share it.
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

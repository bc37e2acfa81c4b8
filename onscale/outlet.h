// The pairs on their way out, once settled: kept, placed on the picture, and sent on to standard
// output or to trackplot; and sent again from the file that keeps them where the picture is drawn
// anew, or is framed only once every line is read.
#pragma once

#include "drawing.h"
#include "kept.h"
#include "picture.h"

#include <cstdint>
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

// The way the pairs go, for the options and the input.
pairs_plan plan_for(const options &opt, bool output_is_terminal, bool input_is_file,
                    bool interrupt_taken);

// Why pairs could not go on their way.
enum out_fault : std::uint8_t {
  out_going,         // none: they go
  out_kept_failed,   // the temporary file cannot take or give them
  out_write_failed,  // standard output cannot take them
  out_start_failed,  // trackplot cannot be started
  out_drawing_ended, // trackplot ended by itself
};

struct pairs_out {
  pairs_plan plan;
  std::unique_ptr<kept_pairs> kept;
  picture pic;
  screen_size size; // the size the picture is placed for
  drawing draw;
  std::unique_ptr<pair_text> text; // the pairs for standard output
  long replay; // the next kept pair to send again, while the output catches up, or -1
  bool framed; // the picture is framed: at the first pair, or once every line is read
  bool redraw; // the picture is to be drawn anew, once the trackplot drawing it has ended
  out_fault fault;
};

// Where the pairs go: trackplot's pipe where it draws them, standard output otherwise.
pair_text *output(pairs_out *out);

// Whether the output holds as many pairs as it takes before they are sent.
bool output_full(pairs_out *out);

// Takes a settled pair on its way: kept, where pairs are; out at once, where they go at once,
// unless the picture is to be drawn anew first, or grows to hold it. Where pairs go at once, the
// first frames the picture, with the ranges as the format holds them.
void route_pair(pairs_out *out, const line_format &format, const options &opt, const double v[2]);

// Frames the picture, once every line is read, over the values kept, from lo to hi or the ranges
// given, unless it was framed as they came; and sends the pairs kept on their way, unless they make
// a picture as text.
void frame_kept(pairs_out *out, const options &opt, const double lo[2], const double hi[2]);

// Sends the kept pairs again, as settled, from the next one on, as far as the output has room;
// returns whether they have all gone.
bool replay_kept(pairs_out *out, const unsure_readings &u, const line_format &format);

// Draws the picture anew: the trackplot drawing it ends first, then another starts, for the size
// the picture is placed for, and the kept pairs go to it again. False while the first must be
// waited for, or where the second cannot start.
bool redraw(pairs_out *out);

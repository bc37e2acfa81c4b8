// The pairs' way out, once settled: kept, placed and sent on, and sent again from the file that
// keeps them where the picture is drawn anew or is framed only once every line is read.
#pragma once

#include "run_state.h"

// Where the pairs go: trackplot's pipe where it draws them, standard output otherwise.
pair_text *output(run *r);

// Whether the output holds as many pairs as it takes before they are sent.
bool output_full(run *r);

// Takes a settled pair on its way: kept, where pairs are; out at once, where they go at once,
// unless the picture is to be drawn anew first, or grows to hold it.
void route_pair(run *r, const double v[2]);

// Frames the picture, once every line is read, over the values kept, unless it was framed as they
// came; and sends the pairs kept on their way, unless they make a picture as text.
void frame_kept(run *r);

// Sends the kept pairs again, from the next one on, as far as the output has room; returns whether
// they have all gone.
bool replay_kept(run *r);

// Draws the picture anew: the trackplot drawing it ends first, then another starts, for the size
// the picture is placed for, and the kept pairs go to it again. False while the first must be
// waited for, or where the second cannot start.
bool redraw(run *r);

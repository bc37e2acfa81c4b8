// onscale -p and the trackplot it runs, as the one job that a shell sees: a Ctrl-Z stops both,
// trackplot first; a resize draws the picture anew for the new size; the signal that ends onscale
// ends trackplot too; and trackplot's own end is heard.
#pragma once

#include "run_state.h"

// Answers the signals pending: trackplot's change, a Ctrl-Z, a resize; and notes the first that
// ends the run, and trackplot's end where it was not asked for.
void answer_signals(run *r);

// Ends the trackplot that draws the picture, where one does, passing on the signal that ended the
// run, and waits for it to end, hearing the signals meanwhile.
void end_drawing(run *r);

// onscale -p and the trackplot it runs, as the one job that a shell sees: a Ctrl-Z stops both,
// trackplot first; a resize draws the picture anew for the new size; the signal that ends onscale
// ends trackplot too; and trackplot's own end is heard.
#pragma once

#include "outlet.h"

// Answers the signals pending on the descriptor: trackplot's change, a Ctrl-Z, a resize; notes in
// *ending the first that ends the run, and trackplot's end where nothing asked for it.
void answer_signals(int signal_fd, pairs_out *out, const options &opt, int *ending);

// Ends the trackplot that draws the picture, where one does, passing on the signal that ended the
// run, and waits for it to end, answering the signals meanwhile.
void end_drawing(int signal_fd, pairs_out *out, const options &opt, int *ending);

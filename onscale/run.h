// onscale's run: the lines read into pairs, and the pairs on their way out, with one wait in which
// it looks at every signal it takes, at its input and at its output together.
#pragma once

#include "run_state.h"

// The way the pairs go, for the options and the input.
pairs_plan plan_for(const options &opt, bool output_is_terminal, bool input_is_file,
                    bool interrupt_taken);

// Runs until the input has ended and every pair has gone out, and then for as long as the picture
// is held; or until a signal or a failure ends it. Says nothing.
void run_until_done(run *r);

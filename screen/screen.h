// Putting the terminal under curses for a run, telling the user something on it, handing it back.
#pragma once

struct plot_state;

// Starts curses on the terminal and keeps its standard screen in ps->win; returns 0. A terminal
// that cannot move the cursor to a given cell is handed straight back, with nothing drawn, and 1 is
// returned. Curses is kept from taking the suspend signal: the caller takes it, with
// suspend_ncurses.
int start_ncurses(plot_state *ps);

// For a suspend signal that is pending and blocked: discards what was typed, hands the terminal
// back in its modes, and lets the signal stop the process. Once the process is continued, the
// terminal is taken again and the whole screen drawn anew, at the terminal's size now.
void suspend_ncurses(plot_state *ps);

// Blanks the screen, discards what was typed meanwhile and gives the terminal back in the modes it
// had before.
void stop_ncurses(plot_state *ps);

// Writes text in bold at row 19, column 10 of the standard screen, literally, and leaves the cursor
// where it was and the attributes normal. Shown at the next refresh; returns 0.
int print_err(plot_state *ps, const char *text);

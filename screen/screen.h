// Putting the terminal under curses for a run, telling the user something on it, handing it back;
// the terminal is touched only while the run's process group is its foreground process group.
#pragma once

struct plot_state;

// Why start_ncurses left the terminal untouched.
inline constexpr int terminal_unknown = 1;        // curses knows no terminal of the type TERM names
inline constexpr int terminal_cannot_address = 2; // the type cannot move the cursor to a given cell
inline constexpr int terminal_too_large = 3;      // more rows or columns than curses can hold

// The most rows or columns that curses can hold.
inline constexpr int largest_terminal_size = 32767;

// Starts curses on the terminal and keeps its standard screen in ps->win; returns 0. A terminal
// that curses cannot drive is left untouched, and one of the faults above returned.
int start_ncurses(plot_state *ps);

// Whether curses can hold the terminal's size as it is now.
bool terminal_size_fits(const plot_state *ps);

// Hands the terminal back in its modes, for a stop, and discards what was typed. Called again
// before the terminal is taken back, it does nothing.
void suspend_ncurses(const plot_state *ps);

// Takes the terminal again where it was handed back, in the run's modes and at its size now, and
// draws the whole screen anew; while curses cannot hold that size, it leaves the terminal alone.
void resume_ncurses(const plot_state *ps);

// Blanks the screen, discards what was typed meanwhile and gives the terminal back in the modes it
// had before.
void stop_ncurses(const plot_state *ps);

// Writes text in bold at row 19, column 10 of the standard screen, literally, and leaves the cursor
// where it was and the attributes normal. Shown at the next refresh; returns 0.
int print_err(plot_state *ps, const char *text);

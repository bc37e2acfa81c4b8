// Putting the terminal under curses for a run, telling the user something on it, handing it back;
// the terminal is touched only while the run's process group is its foreground process group.
#pragma once

#include <curses.h>

// Why start_ncurses left the terminal untouched.
inline constexpr int terminal_unknown = 1;        // curses knows no terminal of the type TERM names
inline constexpr int terminal_cannot_address = 2; // the type cannot move the cursor to a given cell
inline constexpr int terminal_too_large = 3;      // more rows or columns than the full scale

// Starts curses on the terminal and keeps its standard screen in *win; returns 0. A terminal that
// curses cannot drive, or that has more rows or columns than the full scale has steps, is left
// untouched, before curses has made room for a screen of its size, and one of the faults above
// returned.
int start_ncurses(WINDOW **win);

// Whether the terminal's size as it is now is one the run takes.
bool terminal_size_fits();

// Hands the terminal back in its modes, for a stop, and discards what was typed. Called again
// before the terminal is taken back, it does nothing.
void suspend_ncurses();

// Takes the terminal again where it was handed back, in the run's modes and at its size now, and
// draws the whole screen anew; while its size is not one the run takes, it leaves it alone.
void resume_ncurses();

// Blanks the screen, discards what was typed meanwhile and gives the terminal back in the modes it
// had before. Where a signal ends the run, it does so without waiting for the foreground.
void stop_ncurses(bool ending);

// Writes text in bold at row 19, column 10 of the standard screen, literally, and leaves the cursor
// of win, the standard screen, where it was and the attributes normal. Shown at the next refresh;
// returns 0.
int print_err(WINDOW *win, const char *text);

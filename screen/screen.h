// Putting the terminal under curses for a run and handing it back.
#pragma once

struct plot_state;

// Starts curses on the terminal and keeps its standard screen in ps->win; returns 0.
int start_ncurses(plot_state *ps);

// Blanks the screen and gives the terminal back in the modes it had before.
void stop_ncurses(plot_state *ps);

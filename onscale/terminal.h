// The terminal onscale -p draws on through trackplot: its size, and its modes, saved before
// trackplot takes it, so that they can be put back where trackplot could not hand it back.
#pragma once

#include "place.h"

#include <termios.h>

// The size curses would take as it starts: LINES and COLUMNS where they are numbers, else the
// size of the controlling terminal, which neither standard input nor standard output need be, else
// the terminal type's; 80x24 where nothing says.
screen_size terminal_size();

// LINES and COLUMNS where they are numbers, else 80x24: the size of a picture written to a file.
screen_size size_from_environment();

struct saved_modes {
  int fd; // standard output, a terminal, or -1 where its modes could not be had
  termios modes;
};

// Saves the modes of the terminal on standard output.
saved_modes save_modes();

// Puts the terminal back as it was before trackplot took it, for a trackplot that ended without
// handing it back: its modes, the normal screen where leave_alternate and the terminal is left
// without echo or line editing, as curses leaves it, the keys typed meanwhile discarded, so that
// none reaches the shell.
void restore_terminal(const saved_modes &saved, bool leave_alternate);

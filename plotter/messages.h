// Every text the program writes to standard error. What comes from outside the program, its name,
// a path, a token or a terminal type, is escaped, so that none of it can drive the terminal the
// message lands on.
#pragma once

#include "point_reader.h"

#include <cstdio>

// "<what>: <the system's text for error>", as perror writes it.
void report_perror(const char *what, int error);

// Standard output is closed, or open for reading only.
void report_no_output(const char *prog);

// The point file could not be opened, for whatever reason.
void report_no_file(const char *prog, const char *path);

// Why curses could not take the terminal: one of the faults start_ncurses returns.
void report_terminal(const char *prog, int fault);

// Why the reading ended early, as the reader left it; nothing for read_ok or read_end.
void report_reading(const char *prog, const char *path, read_status status, const point_reader *rd,
                    FILE *out);

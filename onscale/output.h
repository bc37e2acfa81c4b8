// Where the pairs go: out as trackplot reads them, or into a temporary file between two passes.
#pragma once

#include <cstddef>

// Pairs written as text, a pair a line, and sent on in large writes.
struct pair_text {
  int fd;    // standard output or trackplot's pipe; -1 until it is open
  int error; // errno of the write that failed, 0 while none has
  std::size_t used;
  char buf[1 << 16];
};

// Adds a pair; returns whether the buffer is full and wants sending.
bool put_pair(pair_text *out, int x, int y);

// Writes what the buffer holds, or what a descriptor that would block takes, the rest kept; false,
// with error set, where a write fails. Once one has, nothing more is written.
bool send_pairs(pair_text *out);

// Pairs of values kept in a temporary file as they are read, 16 bytes each, and read back.
struct kept_pairs {
  int fd;
  int error; // errno of the write that failed, 0 while none has
  std::size_t used;
  double buf[2 * 4096];
};

// The folder the temporary file is made in: TMPDIR, or /tmp.
const char *temporary_folder();

// Opens the file, which goes once it is closed; false with errno set where it cannot be made.
bool open_kept(kept_pairs *kept);

// Adds a pair; false, with error set, where the file cannot take it.
bool keep_pair(kept_pairs *kept, const double v[2]);

// Writes what is left, and goes back to the first pair; false, with error set, where the file
// cannot take it.
bool rewind_kept(kept_pairs *kept);

// Reads back at most max pairs into pairs; returns how many, 0 at the end, -1 where reading failed.
long read_kept(kept_pairs *kept, double *pairs, std::size_t max);

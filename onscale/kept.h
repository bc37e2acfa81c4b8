// The pairs that came out, kept in a temporary file, 16 bytes each, and read back, as settled, as
// often as the picture or the second pass over them needs: memory stays the same however long the
// input.
#pragma once

#include "unsure.h"

#include <cstddef>

struct kept_pairs {
  int fd;
  int error;  // errno of the write or read that failed, 0 while none has
  long count; // pairs kept
  std::size_t used;
  double buf[2 * 4096];
};

// The folder the temporary file is made in: TMPDIR, or /tmp.
const char *temporary_folder();

// Opens the file, which goes once it is closed; false with errno set where it cannot be made.
bool open_kept(kept_pairs *kept);

// Adds a pair; false, with error set, where the file cannot take it.
bool keep_pair(kept_pairs *kept, const double v[2]);

// Reads at most max pairs, from number first on, into pairs, as the readings are settled now;
// returns how many, 0 at the end, or -1, with error set, where the file cannot give them.
long read_kept(kept_pairs *kept, const unsure_readings &u, const line_format &format, long first,
               double *pairs, std::size_t max);

// Finds the smallest and the largest values kept, as settled; false where reading failed.
bool find_kept_range(kept_pairs *kept, const unsure_readings &u, const line_format &format,
                     double lo[2], double hi[2]);

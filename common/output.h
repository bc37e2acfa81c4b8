// Standard output, which both programs check before anything else.
#pragma once

#include <fcntl.h>
#include <unistd.h>

// Whether standard output is open for writing: closed, the next file opened would take its
// descriptor, and what is written there would go into that file.
inline bool output_writable() {
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

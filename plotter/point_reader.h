// Streaming reader of point files: decimal integers separated by white space, taken in pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// How a read ended; anything but read_ok ends the reading for good.
enum read_status {
  read_ok,
  read_end,
  read_not_integer,
  read_out_of_range,
  read_failed,
};

// Bytes of an offending token that a message shows before cutting it.
inline constexpr std::size_t token_shown = 32;

struct point_reader {
  int fd;
  bool ended;              // no more reads: the input ended or failed
  int error;               // errno of a failed read, 0 otherwise
  std::int64_t line;       // line of the next byte, from 1
  std::int64_t token_line; // line on which the latest token started
  std::size_t token_len;   // bytes kept of the latest token, one more than shown if it was longer
  unsigned char token[token_shown + 1];
  const unsigned char *pos;
  const unsigned char *end;
  unsigned char buf[1 << 16];
};

// Starts reading from fd, which stays owned by the caller.
void open_reader(point_reader *rd, int fd);

// Reads the next pair into x and y, which keep their values unless a whole pair is read. The pair
// is returned as soon as the byte after its second number has arrived, or the input has ended, so
// a live feed is drawn as it comes.
read_status read_pair(point_reader *rd, std::int32_t *x, std::int32_t *y);

// Writes the one line that tells why the reading ended early; nothing for read_ok or read_end.
void report_reading(const point_reader *rd, read_status status, const char *prog, const char *path,
                    FILE *out);

// Streaming reader of point files: decimal integers separated by white space, taken in pairs.
#pragma once

#include "text.h"

#include <cstddef>
#include <cstdint>

// How a read ended. read_interrupted, for a signal, leaves the reader ready to go on where it
// stopped; anything else but read_ok ends the reading for good.
enum read_status : std::uint8_t {
  read_ok,
  read_end,
  read_interrupted,
  read_not_integer,
  read_out_of_range,
  read_failed,
};

struct point_reader {
  int fd;
  int signal_fd;     // readable while a signal waits to be taken, or -1
  bool ended;        // no more reads: the input ended or failed
  int error;         // errno of a failed read, 0 otherwise
  std::int64_t line; // line of the next byte, from 1
  // The token being read and the pair being put together; both survive an interrupted read.
  std::int64_t token_line; // line on which the latest token started
  std::size_t token_len;   // bytes read of the latest token
  bool in_token;           // a token has started and not yet ended
  bool negative;           // it began with a minus sign
  bool bad;                // it holds a byte that no integer holds
  bool has_digit;          // it holds a decimal digit
  std::uint64_t magnitude; // the value of its digits, held no further than just past the largest
  bool have_x;             // the pair's first number has been read
  std::int32_t x;          // and this is it
  unsigned char token[quoted_length + 1]; // the latest token's first bytes
  const unsigned char *pos;
  const unsigned char *end; // where what was read ends, followed by a byte that no token holds
  unsigned char buf[(1 << 16) + 1];
};

// Starts reading from fd, which stays owned by the caller. With a signal_fd, a signalfd of blocked
// signals, every read of input looks at it first and every wait for input watches it too, so that
// a signal waiting to be taken makes the read return read_interrupted, whether the input is ready
// or not. A signal that interrupts a wait or a read through a handler does the same.
void open_reader(point_reader *rd, int fd, int signal_fd);

// Reads the next pair into x and y, which keep their values unless a whole pair is read. The pair
// is returned as soon as the byte after its second number has arrived, or the input has ended, so
// a live feed is drawn as it comes. A token known to be bad is read no further than the bytes a
// message shows of it and one more.
read_status read_pair(point_reader *rd, std::int32_t *x, std::int32_t *y);

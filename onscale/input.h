// The input, read a line at a time in bounded memory, as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// A line longer than this is passed over to its end, never held.
inline constexpr std::size_t longest_line = std::size_t{4} << 20;

// How UTF-16 is being turned into UTF-8.
struct utf16_state {
  bool big_endian;
  int odd;       // the first byte of a unit that a read cut in two, or -1
  char16_t high; // the first half of a surrogate pair, or 0
};

// Turns n bytes of UTF-16 into UTF-8 at out, which has room for 3 * n / 2 + 4 bytes, a unit cut
// off at the end kept for the next call; a half pair alone becomes U+FFFD. Returns the bytes
// written.
std::size_t utf16_to_utf8(utf16_state *s, const unsigned char *in, std::size_t n, char *out);

enum line_status : std::uint8_t {
  line_read,     // a line, without its line break
  line_too_long, // a line longer than the bound, passed over
  line_wanted,   // what was read holds no whole line yet: fill_lines reads more
  line_end,      // the input has ended
  line_failed,   // reading failed
};

struct line_source {
  int fd;
  std::unique_ptr<char[]> buf; // what has been read, as UTF-8, the line begun first
  std::size_t start;           // the lines not yet taken
  std::size_t end;
  std::size_t searched; // where the search for the next line break goes on
  bool begun;           // something has been read
  bool at_end;          // the input has ended or failed
  int error;            // errno of a failed read, 0 otherwise
  long line;            // the latest line's number, from 1
  bool passing_over;    // a line too long is passed over to its end
  bool utf16;           // the input is UTF-16, as its byte-order mark says
  utf16_state from_utf16;
  std::unique_ptr<unsigned char[]> raw; // UTF-16 as read, before it is turned into UTF-8
};

// Starts reading lines from fd, which stays the caller's.
void open_lines(line_source *src, int fd);

// Takes the next line into line, with a carriage return before its line break and a byte-order
// mark at the start of the input taken off.
line_status next_line(line_source *src, std::string_view *line);

// Reads what the input has, once poll has said it is ready: at most one read, so that a pipe is
// never waited on for more than it holds.
void fill_lines(line_source *src);

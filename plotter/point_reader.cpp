#include "point_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Largest magnitude a signed 32-bit value takes, reached only by a negative one.
constexpr std::uint64_t max_magnitude = 2147483648u;

bool is_space(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Takes whatever one read returns, so a pipe is never waited on for more than it has.
bool fill(point_reader *rd) {
  if (rd->ended)
    return false;
  ssize_t n;
  do
    n = read(rd->fd, rd->buf, sizeof rd->buf);
  while (n < 0 && errno == EINTR);
  if (n <= 0) {
    rd->ended = true;
    rd->error = n < 0 ? errno : 0;
    return false;
  }
  rd->pos = rd->buf;
  rd->end = rd->buf + n;
  return true;
}

// The next byte, or -1 at the end of the input or on a read error.
int next_byte(point_reader *rd) {
  if (rd->pos == rd->end && !fill(rd))
    return -1;
  return *rd->pos++;
}

read_status read_number(point_reader *rd, std::int32_t *out) {
  int c = next_byte(rd);
  for (; c >= 0 && is_space(c); c = next_byte(rd))
    if (c == '\n')
      ++rd->line;
  if (c < 0)
    return rd->error != 0 ? read_failed : read_end;

  rd->token_line = rd->line;
  std::size_t len = 0;
  std::size_t digits = 0;
  bool negative = false;
  bool bad = false;
  std::uint64_t magnitude = 0;
  do {
    if (len < sizeof rd->token)
      rd->token[len] = static_cast<unsigned char>(c);
    if (c >= '0' && c <= '9') {
      ++digits;
      // Past the largest magnitude the value no longer matters, only that it is too large.
      if (magnitude <= max_magnitude)
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    } else if (len == 0 && (c == '+' || c == '-')) {
      negative = c == '-';
    } else {
      bad = true;
    }
    ++len;
    // A token known to be bad is read only as far as its message shows it, so that binary
    // input without white space ends at once.
    if (bad && len == sizeof rd->token)
      break;
    c = next_byte(rd);
  } while (c >= 0 && !is_space(c));
  if (c == '\n')
    ++rd->line;
  rd->token_len = std::min(len, sizeof rd->token);

  if (rd->error != 0)
    return read_failed;
  if (bad || digits == 0)
    return read_not_integer;
  if (magnitude > (negative ? max_magnitude : max_magnitude - 1))
    return read_out_of_range;
  const auto value = static_cast<std::int64_t>(magnitude);
  *out = static_cast<std::int32_t>(negative ? -value : value);
  return read_ok;
}

} // namespace

void open_reader(point_reader *rd, int fd) {
  rd->fd = fd;
  rd->ended = false;
  rd->error = 0;
  rd->line = 1;
  rd->token_line = 0;
  rd->token_len = 0;
  rd->pos = rd->buf;
  rd->end = rd->buf;
}

read_status read_pair(point_reader *rd, std::int32_t *x, std::int32_t *y) {
  std::int32_t first = 0;
  std::int32_t second = 0;
  read_status status = read_number(rd, &first);
  if (status == read_ok)
    status = read_number(rd, &second);
  if (status == read_ok) {
    *x = first;
    *y = second;
  }
  return status;
}

void report_reading(const point_reader *rd, read_status status, const char *prog, const char *path,
                    FILE *out) {
  if (status == read_failed) {
    std::fprintf(out, "%s: %s: %s\n", prog, path, std::strerror(rd->error));
    return;
  }
  if (status != read_not_integer && status != read_out_of_range)
    return;
  // Bytes from the file are shown only as printable ASCII, so that none of them can drive the
  // terminal the message lands on.
  char shown[token_shown * 4 + sizeof "..."];
  char *p = shown;
  const std::size_t n = std::min(rd->token_len, token_shown);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = rd->token[i];
    if (c >= 0x20 && c < 0x7f)
      *p++ = static_cast<char>(c);
    else
      p += std::snprintf(p, 5, "\\x%02x", c);
  }
  if (rd->token_len > token_shown)
    p = std::copy_n("...", 3, p);
  *p = '\0';
  std::fprintf(out, "%s: %s:%lld: %s: %s\n", prog, path, static_cast<long long>(rd->token_line),
               status == read_not_integer ? "not an integer" : "integer out of range", shown);
}

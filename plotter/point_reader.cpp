#include "point_reader.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// Largest magnitude a signed 32-bit value takes, reached only by a negative one.
constexpr std::uint64_t max_magnitude = 2147483648u;

// Which bytes are white space: blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr auto spaces = [] {
  std::array<bool, 256> table{};
  for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
    table[static_cast<unsigned char>(c)] = true;
  return table;
}();

bool is_space(int c) {
  return spaces[static_cast<unsigned char>(c)];
}

// Follows what was read, so that a loop over white space or digits ends there without looking
// for the end: it is neither.
constexpr unsigned char stop_byte = 0;

// Takes whatever one read returns, so a pipe is never waited on for more than it has.
read_status fill(point_reader *rd) {
  if (rd->ended)
    return rd->error != 0 ? read_failed : read_end;
  if (rd->signal_fd >= 0) {
    pollfd p[] = {{rd->signal_fd, POLLIN, 0}, {rd->fd, POLLIN, 0}};
    const int ready = poll(p, 2, -1);
    if ((ready < 0 && errno == EINTR) || (ready > 0 && (p[0].revents & POLLIN) != 0))
      return read_interrupted;
  }
  const ssize_t n = read(rd->fd, rd->buf, sizeof rd->buf - 1);
  if (n < 0 && errno == EINTR)
    return read_interrupted;
  if (n <= 0) {
    rd->ended = true;
    rd->error = n < 0 ? errno : 0;
    return n < 0 ? read_failed : read_end;
  }
  rd->pos = rd->buf;
  rd->end = rd->buf + n;
  rd->buf[n] = stop_byte;
  return read_ok;
}

// Passes over white space from p, counting the lines it ends; the stop byte stops it.
const unsigned char *skip_space(const unsigned char *p, std::int64_t *line) {
  for (; is_space(*p); ++p)
    *line += *p == '\n' ? 1 : 0;
  return p;
}

// A token at p of at most nine digits, perhaps signed, that lies wholly in the buffer with the
// white space after it: returns where it ends, with its value in out. Anything else, a longer
// number, a byte that no integer holds, or a token that may go on past what was read, gives null,
// and is left to be read byte by byte.
const unsigned char *whole_token(const unsigned char *p, std::int32_t *out) {
  // Nine digits always fit a signed 32-bit value.
  constexpr std::ptrdiff_t most_digits = 9;
  const bool negative = *p == '-';
  if (negative || *p == '+')
    ++p;
  const unsigned char *const digits = p;
  std::uint32_t value = 0;
  for (; is_digit(*p); ++p)
    value = value * 10 + static_cast<std::uint32_t>(*p - '0');
  // The stop byte is no white space, so a token that reaches the end of what was read is left.
  if (p == digits || p - digits > most_digits || !is_space(*p))
    return nullptr;
  *out = negative ? -static_cast<std::int32_t>(value) : static_cast<std::int32_t>(value);
  return p;
}

// Passes over white space to the start of the next token, if none has started yet.
read_status start_token(point_reader *rd) {
  while (!rd->in_token) {
    if (rd->pos == rd->end) {
      const read_status status = fill(rd);
      if (status != read_ok)
        return status;
    }
    rd->pos = skip_space(rd->pos, &rd->line);
    if (rd->pos == rd->end)
      continue;
    rd->in_token = true;
    rd->token_line = rd->line;
    rd->token_len = 0;
    rd->negative = *rd->pos == '-';
    rd->bad = false;
    rd->has_digit = false;
    rd->magnitude = 0;
  }
  return read_ok;
}

// Reads the token that has started up to the white space or the end of the input after it, and
// returns read_ok, or why it could not.
read_status read_token(point_reader *rd, std::uint64_t limit) {
  for (;;) {
    if (rd->pos == rd->end) {
      const read_status status = fill(rd);
      // The end of the input ends the token, a failed read cuts it short, and after an
      // interrupted one the token goes on with the next call.
      if (status == read_end)
        return read_ok;
      if (status != read_ok)
        return status;
    }
    const int c = *rd->pos;
    if (is_space(c))
      return read_ok;
    ++rd->pos;
    if (rd->token_len < sizeof rd->token)
      rd->token[rd->token_len] = static_cast<unsigned char>(c);
    if (is_digit(c)) {
      rd->has_digit = true;
      // Past the largest magnitude the value no longer matters, only that it is too large.
      if (rd->magnitude <= max_magnitude)
        rd->magnitude = rd->magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    } else if (rd->token_len != 0 || (c != '+' && c != '-')) {
      rd->bad = true;
    }
    ++rd->token_len;
    // A token known to be bad is read only as far as its message shows it and a byte more, so
    // that binary input or an endless number ends the reading at once.
    if ((rd->bad || rd->magnitude > limit) && rd->token_len >= sizeof rd->token)
      return read_ok;
  }
}

// Reads the next number, going on with a token that an interrupted read broke off.
read_status read_number(point_reader *rd, std::int32_t *out) {
  read_status status = start_token(rd);
  if (status != read_ok)
    return status;
  const std::uint64_t limit = rd->negative ? max_magnitude : max_magnitude - 1;
  status = read_token(rd, limit);
  if (status != read_ok)
    return status;
  rd->in_token = false;
  if (rd->bad || !rd->has_digit)
    return read_not_integer;
  if (rd->magnitude > limit)
    return read_out_of_range;
  const auto value = static_cast<std::int64_t>(rd->magnitude);
  *out = static_cast<std::int32_t>(rd->negative ? -value : value);
  return read_ok;
}

} // namespace

void open_reader(point_reader *rd, int fd, int signal_fd) {
  rd->fd = fd;
  rd->signal_fd = signal_fd;
  rd->ended = false;
  rd->error = 0;
  rd->line = 1;
  rd->token_line = 0;
  rd->token_len = 0;
  rd->in_token = false;
  rd->have_x = false;
  rd->pos = rd->buf;
  rd->end = rd->buf;
  rd->buf[0] = stop_byte;
}

read_status read_pair(point_reader *rd, std::int32_t *x, std::int32_t *y) {
  // A pair that lies wholly in the buffer, as nearly every pair does, is taken in one go, on
  // copies that no byte of the buffer can alias; any other is read number by number.
  if (!rd->in_token && !rd->have_x) {
    std::int64_t line = rd->line;
    std::int32_t first = 0;
    std::int32_t second = 0;
    const unsigned char *p = whole_token(skip_space(rd->pos, &line), &first);
    if (p != nullptr)
      p = whole_token(skip_space(p, &line), &second);
    if (p != nullptr) {
      rd->pos = p;
      rd->line = line;
      *x = first;
      *y = second;
      return read_ok;
    }
  }
  for (;;) {
    std::int32_t value = 0;
    const read_status status = read_number(rd, &value);
    if (status != read_ok)
      return status;
    if (!rd->have_x) {
      rd->x = value;
      rd->have_x = true;
      continue;
    }
    rd->have_x = false;
    *x = rd->x;
    *y = value;
    return read_ok;
  }
}

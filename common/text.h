// Text from outside the program, a path, a name or a token of the input: its digits, and how a
// message quotes it, so that none of it can drive the terminal the message lands on.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// Bytes of a token that a message quotes before it cuts the token short.
inline constexpr std::size_t quoted_length = 32;

// Writes n bytes as messages show them: printable ASCII, and printable characters where the
// locale is UTF-8, as they are; any other byte, a control character, a Unicode format character
// such as a direction override, or a byte of no valid character, as \xNN.
void write_escaped(FILE *out, const char *text, std::size_t n);

// Writes a token of len bytes, of which text holds at least the first quoted_length, escaped and
// cut after quoted_length bytes with "...".
void write_token(FILE *out, const char *text, std::size_t len);

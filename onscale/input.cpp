#include "input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// At most this much is read at a time.
constexpr std::size_t read_size = std::size_t{1} << 18;

void put_utf8(char32_t c, char **out) {
  char *p = *out;
  if (c < 0x80) {
    *p++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *p++ = static_cast<char>(0xc0 | c >> 6);
    *p++ = static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    *p++ = static_cast<char>(0xe0 | c >> 12);
    *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3f));
    *p++ = static_cast<char>(0x80 | (c & 0x3f));
  } else {
    *p++ = static_cast<char>(0xf0 | c >> 18);
    *p++ = static_cast<char>(0x80 | (c >> 12 & 0x3f));
    *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3f));
    *p++ = static_cast<char>(0x80 | (c & 0x3f));
  }
  *out = p;
}

constexpr char32_t replacement = 0xfffd;

// The buffer holds a line of the longest length and one read more.
constexpr std::size_t buffer_size = longest_line + read_size;

// Reads into the buffer after what it holds; UTF-16 through the raw bytes, with room for what they
// become and for a character that the end of the input cuts off. Returns what read returned.
ssize_t read_some(line_source *src) {
  const std::size_t room = std::min(read_size, buffer_size - src->end);
  if (!src->utf16)
    return read(src->fd, src->buf.get() + src->end, room);
  const ssize_t n = read(src->fd, src->raw.get(), (room - 8) / 3 * 2);
  if (n > 0)
    src->end += utf16_to_utf8(&src->from_utf16, src->raw.get(), static_cast<std::size_t>(n),
                              src->buf.get() + src->end);
  return n;
}

// Where the input starts with the byte-order mark of UTF-16, it is read as UTF-16 from there on,
// what the first read brought included.
void look_for_utf16(line_source *src) {
  const auto *first = reinterpret_cast<const unsigned char *>(src->buf.get());
  const bool little = first[0] == 0xff && first[1] == 0xfe;
  if (!little && (first[0] != 0xfe || first[1] != 0xff))
    return;
  src->utf16 = true;
  src->from_utf16 = {!little, -1, 0};
  src->raw = std::make_unique_for_overwrite<unsigned char[]>(read_size);
  const std::size_t n = src->end - 2;
  std::memcpy(src->raw.get(), first + 2, n);
  src->end = utf16_to_utf8(&src->from_utf16, src->raw.get(), n, src->buf.get());
}

} // namespace

std::size_t utf16_to_utf8(utf16_state *s, const unsigned char *in, std::size_t n, char *out) {
  const char *const from = out;
  for (std::size_t at = 0; at < n; ++at) {
    if (s->odd < 0) {
      s->odd = in[at];
      continue;
    }
    const auto a = static_cast<char16_t>(s->odd);
    const char16_t b = in[at];
    const auto unit = static_cast<char16_t>(s->big_endian ? a << 8 | b : b << 8 | a);
    s->odd = -1;
    const bool high = unit >= 0xd800 && unit < 0xdc00;
    const bool low = unit >= 0xdc00 && unit < 0xe000;
    if (s->high != 0 && low) {
      put_utf8(0x10000 + ((static_cast<char32_t>(s->high) - 0xd800) << 10 | (unit - 0xdc00)), &out);
      s->high = 0;
      continue;
    }
    if (s->high != 0)
      put_utf8(replacement, &out);
    s->high = high ? unit : 0;
    if (!high)
      put_utf8(low ? replacement : unit, &out);
  }
  return static_cast<std::size_t>(out - from);
}

void open_lines(line_source *src, int fd) {
  *src = line_source{};
  src->fd = fd;
  // Left unset: only what is read is touched.
  src->buf = std::make_unique_for_overwrite<char[]>(buffer_size);
}

line_status next_line(line_source *src, std::string_view *line) {
  const char *const base = src->buf.get();
  const auto *newline =
      static_cast<const char *>(std::memchr(base + src->searched, '\n', src->end - src->searched));
  if (newline == nullptr && (!src->at_end || src->start >= src->end)) {
    src->searched = src->end;
    // A line that outgrows the bound is dropped as it comes, to its end.
    if (src->end - src->start > longest_line) {
      src->passing_over = true;
      src->start = src->end;
    }
    if (!src->at_end)
      return line_wanted;
    if (src->passing_over) {
      src->passing_over = false;
      ++src->line;
      return line_too_long;
    }
    return src->error != 0 ? line_failed : line_end;
  }
  const char *from = base + src->start;
  std::size_t n = static_cast<std::size_t>((newline != nullptr ? newline : base + src->end) - from);
  src->start += n + (newline != nullptr ? 1 : 0);
  src->searched = src->start;
  ++src->line;
  if (src->passing_over || n > longest_line) {
    src->passing_over = false;
    return line_too_long;
  }
  if (n > 0 && from[n - 1] == '\r')
    --n;
  // A byte-order mark starts the first line whether or not it is a header.
  if (src->line == 1 && n >= 3 && std::memcmp(from, "\xef\xbb\xbf", 3) == 0) {
    from += 3;
    n -= 3;
  }
  *line = std::string_view(from, n);
  return line_read;
}

void fill_lines(line_source *src) {
  std::memmove(src->buf.get(), src->buf.get() + src->start, src->end - src->start);
  src->end -= src->start;
  src->searched -= src->start;
  src->start = 0;
  const ssize_t n = read_some(src);
  // An input that another process made not to block can still have nothing at times.
  if (n < 0 && errno == EAGAIN)
    return;
  if (n <= 0) {
    src->at_end = true;
    src->error = n < 0 ? errno : 0;
    // A unit cut in two at the end of UTF-16 is no character.
    if (src->utf16 && (src->from_utf16.odd >= 0 || src->from_utf16.high != 0)) {
      char *out = src->buf.get() + src->end;
      put_utf8(replacement, &out);
      src->end = static_cast<std::size_t>(out - src->buf.get());
    }
    return;
  }
  if (!src->utf16)
    src->end += static_cast<std::size_t>(n);
  // The byte-order mark is looked for once the first two bytes are in, before any line is taken.
  if (!src->begun && src->end >= 2 && src->line == 0)
    look_for_utf16(src);
  src->begun = src->begun || src->end >= 2 || src->line > 0;
}

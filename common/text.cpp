#include "text.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace {

// Whether the user's locale, as the environment names it, writes UTF-8; asked without changing
// the program's own locale.
bool locale_is_utf8() {
  const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr))
    return false;
  const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, user), "UTF-8") == 0;
  freelocale(user);
  return utf8;
}

struct characters {
  char32_t first;
  char32_t last;
};

// Characters that print nothing of their own but change how the text around them shows: the
// Unicode format characters, direction overrides and zero-width marks among them, and the line
// and paragraph separators.
constexpr characters invisible[] = {
    {0x00ad, 0x00ad},   {0x0600, 0x0605},   {0x061c, 0x061c},   {0x06dd, 0x06dd},
    {0x070f, 0x070f},   {0x0890, 0x0891},   {0x08e2, 0x08e2},   {0x180e, 0x180e},
    {0x200b, 0x200f},   {0x2028, 0x202e},   {0x2060, 0x206f},   {0xfeff, 0xfeff},
    {0xfff9, 0xfffb},   {0x110bd, 0x110bd}, {0x110cd, 0x110cd}, {0x13430, 0x1343f},
    {0x1bca0, 0x1bca3}, {0x1d173, 0x1d17a}, {0xe0001, 0xe0001}, {0xe0020, 0xe007f},
};

// The length of the printable UTF-8 character at p, of at most n bytes; 0 where there is none: a
// control character, a format character, a noncharacter, or bytes that encode no character, or
// not in the shortest way.
std::size_t printable_utf8(const unsigned char *p, std::size_t n) {
  const std::size_t len = p[0] < 0xc2 ? 0 : p[0] < 0xe0 ? 2 : p[0] < 0xf0 ? 3 : p[0] < 0xf5 ? 4 : 0;
  if (len == 0 || len > n)
    return 0;
  char32_t c = p[0] & (0x7f >> len);
  for (std::size_t k = 1; k < len; ++k) {
    if ((p[k] & 0xc0) != 0x80)
      return 0;
    c = c << 6 | (p[k] & 0x3f);
  }
  constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < shortest[len] || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff) || c < 0xa0)
    return 0;
  // The last two code points of every plane, and a block in the first, stand for no character.
  if ((c & 0xfffe) == 0xfffe || (c >= 0xfdd0 && c <= 0xfdef))
    return 0;
  for (const characters &range : invisible)
    if (c >= range.first && c <= range.last)
      return 0;
  return len;
}

} // namespace

void write_escaped(FILE *out, const char *text, std::size_t n) {
  static const bool utf8 = locale_is_utf8();
  const auto *bytes = reinterpret_cast<const unsigned char *>(text);
  for (std::size_t at = 0; at < n;) {
    std::size_t printable = at;
    for (;;) {
      if (printable < n && bytes[printable] >= 0x20 && bytes[printable] < 0x7f) {
        ++printable;
        continue;
      }
      const std::size_t len = utf8 && printable < n && bytes[printable] >= 0x80
                                  ? printable_utf8(bytes + printable, n - printable)
                                  : 0;
      if (len == 0)
        break;
      printable += len;
    }
    std::fwrite(text + at, 1, printable - at, out);
    if (printable < n)
      std::fprintf(out, "\\x%02x", bytes[printable]);
    at = printable + 1;
  }
}

void write_token(FILE *out, const char *text, std::size_t len) {
  write_escaped(out, text, len < quoted_length ? len : quoted_length);
  std::fputs(len > quoted_length ? "..." : "", out);
}

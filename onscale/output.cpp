#include "output.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Writes n bytes, however many writes a file takes them in; returns 0, or errno of the write that
// failed. No signal of onscale's has a handler, so none interrupts a write.
int write_all(int fd, const void *data, std::size_t n) {
  const auto *p = static_cast<const char *>(data);
  for (ssize_t written = 0; n > 0; p += written, n -= static_cast<std::size_t>(written)) {
    written = write(fd, p, n);
    if (written < 0)
      return errno;
  }
  return 0;
}

void write_kept(kept_pairs *kept) {
  if (kept->error == 0)
    kept->error = write_all(kept->fd, kept->buf, kept->used * sizeof kept->buf[0]);
  kept->used = 0;
}

} // namespace

bool put_pair(pair_text *out, int x, int y) {
  char *p = out->buf + out->used;
  p = std::to_chars(p, p + 11, x).ptr;
  *p++ = ' ';
  p = std::to_chars(p, p + 11, y).ptr;
  *p++ = '\n';
  out->used = static_cast<std::size_t>(p - out->buf);
  // Room for one more pair of the longest.
  return out->used > sizeof out->buf - 24;
}

bool send_pairs(pair_text *out) {
  std::size_t sent = 0;
  while (out->error == 0 && sent < out->used) {
    const ssize_t n = write(out->fd, out->buf + sent, out->used - sent);
    if (n < 0 && errno == EAGAIN)
      break;
    out->error = n < 0 ? errno : 0;
    sent += n < 0 ? 0 : static_cast<std::size_t>(n);
  }
  out->used = out->error == 0 ? out->used - sent : 0;
  std::memmove(out->buf, out->buf + sent, out->used);
  return out->error == 0;
}

const char *temporary_folder() {
  const char *dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

bool open_kept(kept_pairs *kept) {
  std::string path = std::string(temporary_folder()) + "/onscaleXXXXXX";
  kept->fd = mkostemp(path.data(), O_CLOEXEC);
  kept->error = 0;
  kept->used = 0;
  if (kept->fd < 0)
    return false;
  unlink(path.c_str());
  return true;
}

bool keep_pair(kept_pairs *kept, const double v[2]) {
  kept->buf[kept->used++] = v[0];
  kept->buf[kept->used++] = v[1];
  if (kept->used == sizeof kept->buf / sizeof kept->buf[0])
    write_kept(kept);
  return kept->error == 0;
}

bool rewind_kept(kept_pairs *kept) {
  write_kept(kept);
  if (kept->error == 0 && lseek(kept->fd, 0, SEEK_SET) != 0)
    kept->error = errno;
  return kept->error == 0;
}

long read_kept(kept_pairs *kept, double *pairs, std::size_t max) {
  const ssize_t n = read(kept->fd, pairs, max * 2 * sizeof(double));
  return n < 0 ? -1 : n / static_cast<long>(2 * sizeof(double));
}

#include "kept.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Writes what the buffer holds, however many writes the file takes it in.
bool write_buffer(kept_pairs *kept) {
  const auto *p = reinterpret_cast<const char *>(kept->buf);
  std::size_t n = kept->used * sizeof kept->buf[0];
  kept->used = 0;
  for (ssize_t written = 0; kept->error == 0 && n > 0; p += written) {
    written = write(kept->fd, p, n);
    kept->error = written < 0 ? errno : 0;
    n -= written < 0 ? n : static_cast<std::size_t>(written);
  }
  return kept->error == 0;
}

} // namespace

const char *temporary_folder() {
  const char *dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

bool open_kept(kept_pairs *kept) {
  std::string path = std::string(temporary_folder()) + "/onscaleXXXXXX";
  kept->fd = mkostemp(path.data(), O_CLOEXEC);
  kept->error = 0;
  kept->count = 0;
  kept->used = 0;
  if (kept->fd < 0)
    return false;
  unlink(path.c_str());
  return true;
}

bool keep_pair(kept_pairs *kept, const double v[2]) {
  kept->buf[kept->used++] = v[0];
  kept->buf[kept->used++] = v[1];
  ++kept->count;
  return kept->used < std::size(kept->buf) || write_buffer(kept);
}

long read_kept(kept_pairs *kept, const unsure_readings &u, const line_format &format, long first,
               double *pairs, std::size_t max) {
  if (kept->used > 0 && !write_buffer(kept))
    return -1;
  constexpr auto pair_size = static_cast<long>(2 * sizeof(double));
  const ssize_t n = pread(kept->fd, pairs, max * pair_size, first * pair_size);
  if (n < 0) {
    kept->error = errno;
    return -1;
  }
  const long got = n / pair_size;
  reread_kept(u, format, first, pairs, got);
  return got;
}

bool find_kept_range(kept_pairs *kept, const unsure_readings &u, const line_format &format,
                     double lo[2], double hi[2]) {
  std::vector<double> pairs(std::size(kept->buf));
  long n = 0;
  for (long first = 0; (n = read_kept(kept, u, format, first, pairs.data(), pairs.size() / 2)) > 0;
       first += n)
    for (long k = 0; k < 2 * n; ++k) {
      const int axis = static_cast<int>(k % 2);
      const double v = pairs[static_cast<std::size_t>(k)];
      lo[axis] = first + k / 2 == 0 ? v : std::min(lo[axis], v);
      hi[axis] = first + k / 2 == 0 ? v : std::max(hi[axis], v);
    }
  return n == 0;
}

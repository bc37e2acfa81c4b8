// The floor for reading a point file: read into a 64 KiB buffer, accumulate the digits of each
// number, and nothing else: no checks, no pairs, no screen. Prints the sum of the numbers, so that
// the work cannot be left out.
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv) {
  const int fd = open(argc > 1 ? argv[1] : "car3.txt", O_RDONLY);
  if (fd < 0)
    return 1;
  static unsigned char buf[1 << 16];
  std::uint64_t sum = 0;
  std::uint64_t value = 0;
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0)
    for (ssize_t i = 0; i < n; ++i) {
      const unsigned digit = buf[i] - static_cast<unsigned>('0');
      if (digit < 10) {
        value = value * 10 + digit;
      } else {
        sum += value;
        value = 0;
      }
    }
  close(fd);
  sum += value;
  std::printf("%llu\n", static_cast<unsigned long long>(sum));
  return 0;
}

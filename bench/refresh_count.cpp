// Preloaded into a program to count the screen refreshes it issues; the count is written at exit
// to the file named by REFRESH_COUNT_FILE.
#include <curses.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

long refreshes = 0;

__attribute__((destructor)) void write_count() {
  const char *path = std::getenv("REFRESH_COUNT_FILE");
  if (path == nullptr)
    return;
  if (FILE *out = std::fopen(path, "w")) {
    std::fprintf(out, "%ld\n", refreshes);
    std::fclose(out);
  }
}

} // namespace

extern "C" int wrefresh(WINDOW *win) {
  using refresh_fn = int (*)(WINDOW *);
  static const auto real = reinterpret_cast<refresh_fn>(dlsym(RTLD_NEXT, "wrefresh"));
  ++refreshes;
  return real(win);
}

// Preloaded into a program to count the screen updates it asks for, through wrefresh or doupdate;
// the count is written at exit to the file named by REFRESH_COUNT_FILE, by a process that asked for
// any, so that onscale, which asks for none, leaves the file to the trackplot it runs.
#include <curses.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

long refreshes = 0;

__attribute__((destructor)) void write_count() {
  const char *path = std::getenv("REFRESH_COUNT_FILE");
  if (path == nullptr || refreshes == 0)
    return;
  if (FILE *out = std::fopen(path, "w")) {
    std::fprintf(out, "%ld\n", refreshes);
    std::fclose(out);
  }
}

} // namespace

// Curses' own call from wrefresh to doupdate stays inside the library, so each update is counted
// once.
extern "C" int wrefresh(WINDOW *win) {
  using refresh_fn = int (*)(WINDOW *);
  static const auto real = reinterpret_cast<refresh_fn>(dlsym(RTLD_NEXT, "wrefresh"));
  ++refreshes;
  return real(win);
}

extern "C" int doupdate() {
  using update_fn = int (*)();
  static const auto real = reinterpret_cast<update_fn>(dlsym(RTLD_NEXT, "doupdate"));
  ++refreshes;
  return real();
}

#include "trackplot_run.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool is_program(const std::string &path) {
  struct stat st = {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string find_trackplot() {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    const std::string_view exe(self, static_cast<std::size_t>(n));
    std::string beside = std::string(exe.substr(0, exe.rfind('/') + 1)) + "trackplot";
    if (is_program(beside))
      return beside;
  }
  const char *path = std::getenv("PATH");
  for (std::string_view dirs = path != nullptr ? path : ""; !dirs.empty();) {
    const std::size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    // An empty entry stands for the working folder.
    std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/trackplot";
    if (is_program(candidate))
      return candidate;
  }
  return "";
}

bool start_drawing(drawing *d, int *fd) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    d->start_error = errno;
    return false;
  }
  // onscale waits for room in the pipe itself, so as to stop with a trackplot that a Ctrl-Z stops.
  fcntl(ends[1], F_SETFL, O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setsigmask(&attr, &d->blocked);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  char name[] = "trackplot";
  char input[] = "/dev/stdin";
  char *argv[] = {name, input, nullptr};
  d->start_error = posix_spawn(&d->pid, d->path, &actions, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[0]);
  if (d->start_error != 0) {
    d->pid = 0;
    close(ends[1]);
    errno = d->start_error;
    return false;
  }
  *fd = ends[1];
  return true;
}

bool drawing_ended(drawing *d) {
  if (!d->ended && d->pid > 0)
    d->ended = waitpid(d->pid, &d->status, WNOHANG) == d->pid;
  return d->ended;
}

bool wait_for_drawing(drawing *d) {
  while (!d->ended && d->pid > 0) {
    int status = 0;
    const pid_t waited = waitpid(d->pid, &status, WUNTRACED);
    if (waited == d->pid && WIFSTOPPED(status))
      return true;
    d->status = status;
    d->ended = waited == d->pid || errno != EINTR;
  }
  return false;
}

bool drew_picture(const drawing &d) {
  return d.ended && (WIFSIGNALED(d.status) || (WIFEXITED(d.status) && WEXITSTATUS(d.status) == 0));
}

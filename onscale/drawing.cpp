#include "drawing.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

bool is_program(const std::string &path) {
  struct stat st = {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// onscale's environment with LINES and COLUMNS set to the size, for trackplot.
std::vector<std::string> environment_for(screen_size size) {
  std::vector<std::string> env;
  for (char **e = environ; *e != nullptr; ++e) {
    const std::string_view var(*e);
    if (!var.starts_with("LINES=") && !var.starts_with("COLUMNS="))
      env.emplace_back(var);
  }
  env.push_back("LINES=" + std::to_string(size.rows));
  env.push_back("COLUMNS=" + std::to_string(size.cols));
  return env;
}

} // namespace

void open_pair_text(pair_text *out, int fd) {
  out->fd = fd;
  out->error = 0;
  out->used = 0;
  struct stat st = {};
  // A pipe or a terminal may block a write; one of PIPE_BUF bytes or less, once poll has said that
  // the descriptor is writable, does not. A file, or a pipe onscale made not to block, takes all.
  const bool could_block =
      fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode));
  out->piece = could_block && (fcntl(fd, F_GETFL) & O_NONBLOCK) == 0 ? PIPE_BUF : sizeof out->buf;
}

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
    const ssize_t n = write(out->fd, out->buf + sent, std::min(out->used - sent, out->piece));
    if (n < 0 && errno == EAGAIN)
      break;
    out->error = n < 0 ? errno : 0;
    sent += n < 0 ? 0 : static_cast<std::size_t>(n);
    if (out->piece < sizeof out->buf)
      break;
  }
  out->used = out->error == 0 ? out->used - sent : 0;
  std::memmove(out->buf, out->buf + sent, out->used);
  return out->error == 0;
}

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

bool start_drawing(drawing *d, screen_size size) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    d->start_error = errno;
    return false;
  }
  // onscale waits for room in the pipe in its one poll, with the signals it takes.
  fcntl(ends[1], F_SETFL, O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setsigmask(&attr, &d->mask);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  std::vector<std::string> env = environment_for(size);
  std::vector<char *> envp;
  envp.reserve(env.size() + 1);
  // posix_spawn takes the variables as char *, which a const string would not lend.
  // cppcheck-suppress constVariableReference
  for (std::string &var : env)
    envp.push_back(var.data());
  envp.push_back(nullptr);
  char name[] = "trackplot";
  char input[] = "/dev/stdin";
  char *argv[] = {name, input, nullptr};
  d->start_error = posix_spawn(&d->pid, d->path, &actions, &attr, argv, envp.data());
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[0]);
  d->stopped = d->ended = false;
  sigemptyset(&d->passed);
  if (d->start_error != 0) {
    d->pid = 0;
    close(ends[1]);
    return false;
  }
  open_pair_text(&d->out, ends[1]);
  return true;
}

void hear_drawing(drawing *d) {
  int status = 0;
  while (d->pid > 0 && !d->ended &&
         waitpid(d->pid, &status, WNOHANG | WUNTRACED | WCONTINUED) == d->pid) {
    d->stopped = WIFSTOPPED(status);
    d->ended = WIFEXITED(status) || WIFSIGNALED(status);
    d->status = d->ended ? status : d->status;
  }
}

void pass_to_drawing(drawing *d, int sig) {
  // Ctrl-C and the like reach trackplot from the terminal as well, maybe first.
  sigaddset(&d->passed, sig);
  if (d->pid <= 0 || d->ended)
    return;
  if (d->stopped && sig != SIGCONT)
    kill(d->pid, SIGCONT);
  d->stopped = false;
  kill(d->pid, sig);
}

void end_drawing_input(drawing *d) {
  if (d->out.fd >= 0)
    close(d->out.fd);
  d->out.fd = -1;
  d->out.used = 0;
}

bool drawing_failed(const drawing &d) {
  if (!d.ended)
    return false;
  if (WIFSIGNALED(d.status))
    return sigismember(&d.passed, WTERMSIG(d.status)) != 1;
  return WEXITSTATUS(d.status) != 0;
}

#include "terminal.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The callback's type is libvterm's, so val cannot be made a pointer to const.
// cppcheck-suppress constParameterCallback
int on_termprop(VTermProp prop, VTermValue *val, void *user) {
  auto *term = static_cast<emulator *>(user);
  if (prop == VTERM_PROP_ALTSCREEN) {
    term->alt_active = val->boolean != 0;
    term->alt_entered = term->alt_entered || term->alt_active;
  }
  return 1;
}

// Later libvterm versions add callbacks at the end; those left out stay null.
const VTermScreenCallbacks callbacks = [] {
  VTermScreenCallbacks c{};
  c.settermprop = on_termprop;
  return c;
}();

std::vector<char *> c_strings(const std::vector<std::string> &strings) {
  std::vector<char *> out;
  out.reserve(strings.size() + 1);
  for (const std::string &s : strings)
    out.push_back(const_cast<char *>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

void read_into(int fd, std::string *out) {
  char buf[65536];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0)
    out->append(buf, static_cast<std::size_t>(n));
}

// Reads what the master has within timeout_ms into the emulator; false when nothing came.
bool pump(pty_run *run, int timeout_ms) {
  pollfd p{run->master, POLLIN, 0};
  if (poll(&p, 1, timeout_ms) <= 0)
    return false;
  char buf[65536];
  const ssize_t n = read(run->master, buf, sizeof buf);
  if (n <= 0)
    return false;
  const std::string bytes(buf, static_cast<std::size_t>(n));
  run->log += bytes;
  run->term.feed(bytes);
  return true;
}

long long now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Every program the test program starts, and all they start in turn, carry this in their
// environment, so that a session of theirs is told from a later one that takes its number.
const std::string test_program = "TRACKPLOT_TEST_PROGRAM=" + std::to_string(getpid());

// A process of its own that ends the sessions of every program the test program started, once the
// test program has ended, whatever ended it: a timeout's SIGKILL gives it no chance to. It reads
// the sessions from a pipe that only the test program writes, until the pipe ends. Started before
// the tests open anything, it holds nothing of theirs open.
int start_watchdog() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    return -1;
  if (fork() != 0) {
    close(fds[0]);
    return fds[1];
  }
  close(fds[1]);
  const int null = open("/dev/null", O_RDWR);
  for (int fd = 0; null >= 0 && fd < 3; ++fd)
    dup2(null, fd);
  std::vector<pid_t> sessions;
  pid_t session = 0;
  while (read(fds[0], &session, sizeof session) == static_cast<ssize_t>(sizeof session))
    sessions.push_back(session);
  for (const pid_t s : sessions)
    end_session(s);
  _exit(0);
}

const int watchdog = start_watchdog();

// A folder removed again when the test program ends.
struct scratch_dir {
  std::string path;
  ~scratch_dir() {
    std::filesystem::remove_all(path);
  }
};

} // namespace

emulator::emulator(int rows, int cols) : vt(vterm_new(rows, cols)) {
  vterm_set_utf8(vt, 1);
  VTermScreen *screen = vterm_obtain_screen(vt);
  vterm_screen_enable_altscreen(screen, 1);
  vterm_screen_set_callbacks(screen, &callbacks, this);
  vterm_screen_reset(screen, 1);
}

emulator::~emulator() {
  vterm_free(vt);
}

namespace {

void write_to(VTerm *vt, const std::string &bytes) {
  // libvterm 0.1.4 can crash on one very large write; a terminal never gets more than a buffer at
  // a time anyway.
  constexpr std::size_t piece = 4096;
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    vterm_input_write(vt, bytes.data() + at, std::min(piece, bytes.size() - at));
}

} // namespace

// Curses repeats a character with REP, CSI n b, on terminals that have it, as xterm's do; libvterm
// ignores it, so it is carried out here, on the character left of the cursor.
void emulator::feed(const std::string &bytes) {
  std::string in = unfinished + bytes;
  unfinished.clear();
  const std::size_t last = in.rfind('\x1b');
  if (last != std::string::npos &&
      (last + 1 == in.size() ||
       (in[last + 1] == '[' &&
        in.find_first_not_of("0123456789;", last + 2) == std::string::npos))) {
    unfinished = in.substr(last);
    in.resize(last);
  }
  std::size_t from = 0;
  for (std::size_t at = in.find("\x1b["); at != std::string::npos; at = in.find("\x1b[", at + 2)) {
    const std::size_t end = in.find_first_not_of("0123456789", at + 2);
    if (end == std::string::npos || in[end] != 'b')
      continue;
    write_to(vt, in.substr(from, at - from));
    const int times = end > at + 2 ? std::stoi(in.substr(at + 2, end - at - 2)) : 1;
    const VTermPos pos = cursor();
    const uint32_t ch = pos.col > 0 ? cell(pos.row, pos.col - 1).chars[0] : 0;
    write_to(vt, std::string(static_cast<std::size_t>(times),
                             ch > 0 && ch < 0x80 ? static_cast<char>(ch) : ' '));
    from = end + 1;
  }
  write_to(vt, in.substr(from));
}

VTermScreenCell emulator::cell(int row, int col) const {
  VTermScreenCell c{};
  vterm_screen_get_cell(vterm_obtain_screen(vt), VTermPos{row, col}, &c);
  return c;
}

std::vector<std::string> emulator::lines() const {
  int rows = 0;
  int cols = 0;
  vterm_get_size(vt, &rows, &cols);
  std::vector<std::string> out;
  for (int r = 0; r < rows; ++r) {
    std::string line;
    for (int c = 0; c < cols; ++c) {
      const uint32_t ch = cell(r, c).chars[0];
      line += ch == 0 ? ' ' : ch < 0x80 ? static_cast<char>(ch) : '?';
    }
    out.push_back(line);
  }
  return out;
}

VTermPos emulator::cursor() const {
  VTermPos pos{};
  vterm_state_get_cursorpos(vterm_obtain_state(vt), &pos);
  return pos;
}

std::vector<std::string> picture(int rows, int cols,
                                 const std::vector<std::pair<int, int>> &marks) {
  std::vector<std::string> out(static_cast<std::size_t>(rows),
                               std::string(static_cast<std::size_t>(cols), ' '));
  for (const auto &[row, col] : marks)
    out.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col)) = '*';
  return out;
}

std::string before_final_clear(const std::string &out) {
  const std::size_t at = out.rfind("\x1b[H\x1b[2J");
  return at == std::string::npos ? out : out.substr(0, at);
}

std::vector<std::string> screen_before_final_clear(const std::string &out, int rows, int cols) {
  emulator term(rows, cols);
  term.feed(before_final_clear(out));
  return term.lines();
}

std::string temp_dir() {
  static const scratch_dir dir{[] {
    std::string pattern = (std::filesystem::temp_directory_path() / "trackplot-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    return pattern;
  }()};
  return dir.path;
}

std::string temp_file(const std::string &name, const std::string &text) {
  std::string path = temp_dir() + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::vector<std::string> trackplot(const std::vector<std::string> &args) {
  std::vector<std::string> argv{TRACKPLOT_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

pid_t spawn(const std::vector<std::string> &argv, std::vector<std::string> env,
            const std::string &input, int out, int err, const std::string &cwd) {
  env.push_back(test_program);
  for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char *value = std::getenv(name))
      env.push_back(std::string(name) + "=" + value);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDWR, 0);
  posix_spawn_file_actions_adddup2(&actions, out < 0 ? 0 : out, 1);
  posix_spawn_file_actions_adddup2(&actions, err < 0 ? 0 : err, 2);
  if (!cwd.empty())
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0].c_str(), &actions, &attr, c_strings(argv).data(),
                                 c_strings(env).data());
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0)
    throw std::runtime_error("cannot start " + argv[0]);
  if (write(watchdog, &pid, sizeof pid) != static_cast<ssize_t>(sizeof pid))
    throw std::runtime_error("the watchdog is gone");
  return pid;
}

std::vector<pid_t> session_members(pid_t session) {
  std::vector<pid_t> members;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    const pid_t pid = std::stoi(name);
    const process_info p = process(pid);
    if (p.session != session || p.state == 'Z')
      continue;
    std::ifstream environ_file(entry.path() / "environ", std::ios::binary);
    for (std::string variable; std::getline(environ_file, variable, '\0');)
      if (variable == test_program)
        members.push_back(pid);
  }
  return members;
}

void end_session(pid_t session) {
  for (const pid_t pid : session_members(session))
    kill(pid, SIGKILL);
}

int shell_status(int status) {
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

run_result run_captured(const std::vector<std::string> &argv, int rows, int cols,
                        const std::string &cwd, const std::string &term, const std::string &input) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  std::vector<std::string> env{"LINES=" + std::to_string(rows), "COLUMNS=" + std::to_string(cols)};
  if (!term.empty())
    env.push_back("TERM=" + term);
  const pid_t pid = spawn(argv, env, input, out[1], err[1], cwd);
  close(out[1]);
  close(err[1]);
  run_result r{};
  // Standard error is read after standard output ends; the messages are far below a pipe's size.
  read_into(out[0], &r.out);
  read_into(err[0], &r.err);
  close(out[0]);
  close(err[0]);
  waitpid(pid, &r.status, 0);
  end_session(pid);
  return r;
}

pty_run::~pty_run() {
  if (session > 0)
    end_session(session);
  if (pid > 0)
    waitpid(pid, nullptr, 0);
  if (master >= 0)
    close(master);
  if (slave >= 0)
    close(slave);
}

void start_on_pty(pty_run *run, const std::vector<std::string> &argv,
                  const std::vector<std::string> &env) {
  int rows = 0;
  int cols = 0;
  vterm_get_size(run->term.vt, &rows, &cols);
  winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(cols), 0, 0};
  if (openpty(&run->master, &run->slave, nullptr, nullptr, &size) != 0)
    throw std::runtime_error("openpty failed");
  fcntl(run->master, F_SETFD, FD_CLOEXEC);
  fcntl(run->slave, F_SETFD, FD_CLOEXEC);
  tcgetattr(run->slave, &run->before);
  std::vector<std::string> all{"TERM=xterm-256color"};
  all.insert(all.end(), env.begin(), env.end());
  run->pid = spawn(argv, all, ptsname(run->master));
  run->session = run->pid;
}

void resize_pty(pty_run *run, int rows, int cols) {
  vterm_set_size(run->term.vt, rows, cols);
  winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(cols), 0, 0};
  if (ioctl(run->master, TIOCSWINSZ, &size) != 0)
    throw std::runtime_error("TIOCSWINSZ failed");
}

bool wait_until(pty_run *run, const std::function<bool()> &done, int timeout_ms) {
  const long long deadline = now_ms() + timeout_ms;
  while (!done()) {
    const long long left = deadline - now_ms();
    if (left <= 0)
      return false;
    // In slices, for conditions that no output of the program announces.
    pump(run, static_cast<int>(std::min(left, 10LL)));
  }
  return true;
}

void wait_for(pty_run *run, int ms) {
  const long long until = now_ms() + ms;
  const auto over = [&] { return now_ms() >= until; };
  wait_until(run, over, ms + 1000);
}

std::vector<std::string> screen_once_shown(pty_run *run, const std::vector<std::string> &want,
                                           int timeout_ms) {
  const auto shown = [&] { return run->term.lines() == want; };
  wait_until(run, shown, timeout_ms);
  return run->term.lines();
}

int finish(pty_run *run, int timeout_ms) {
  const long long deadline = now_ms() + timeout_ms;
  int status = -1;
  while (waitpid(run->pid, &status, WNOHANG) == 0) {
    if (now_ms() > deadline) {
      kill(run->pid, SIGKILL);
      waitpid(run->pid, &status, 0);
      break;
    }
    pump(run, 10);
  }
  run->pid = -1;
  // What the program wrote last is still on its way through the pseudo-terminal.
  while (pump(run, 50)) {
  }
  return status;
}

process_info process(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The fields from the third on follow the command's name, which may hold anything.
  const std::size_t at = line.rfind(") ");
  if (at == std::string::npos)
    return {};
  std::istringstream fields(line.substr(at + 2));
  std::vector<std::string> f;
  for (std::string field; fields >> field;)
    f.push_back(field);
  if (f.size() < 50)
    return {};
  return {f[0][0], std::stoull(f[29]), std::stoull(f[31]), std::stoi(f[49]), std::stoi(f[3])};
}

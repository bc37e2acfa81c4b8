// Measures trackplot against the plain baseline loop on pseudo-terminals drained as fast as
// possible; what reading a smooth recording costs it, beside a loop that only reads the numbers;
// and the delay from a pair written into a named pipe to its mark on the terminal.
//
//   bench [--runs N] [--pairs N[,N...]] [--data DIR] [--also NAME=PATH]...
//
// --also adds another build of a program, an earlier trackplot for instance, to every case.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

struct program {
  std::string name;
  std::string path;
  std::vector<std::string> before{}; // arguments before the input's path
  std::vector<std::string> after{};  // and after it
  bool pictured = false; // runs on a terminal whatever the case, with Ctrl-C ignored, so that
                         // onscale -p puts its picture away once it is drawn and ends
};

struct sample {
  double wall;
  double cpu;
  double bytes;
  double refreshes;
  double rss_kib;
};

double now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Starts path on input in a session of its own, with TERM set and the refresh counter preloaded.
// On a terminal, it is a new pseudo-terminal of the given size, and the master side is returned.
// Off one, the output goes to /dev/null, the size is given by LINES and COLUMNS, and -1 is
// returned: what is measured then is the reading, and the updates that change the screen.
int spawn(const program &prog, const std::string &input, int rows, int cols, bool on_terminal,
          const char *count_file, pid_t *pid) {
  int master = -1;
  int slave = -1;
  winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(cols), 0, 0};
  if (on_terminal && openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
    std::perror("openpty");
    std::exit(1);
  }
  if (!on_terminal)
    slave = open("/dev/null", O_RDWR);
  if (slave < 0) {
    std::perror("/dev/null");
    std::exit(1);
  }
  *pid = fork();
  if (*pid == 0) {
    setsid();
    if (prog.pictured)
      signal(SIGINT, SIG_IGN);
    if (on_terminal)
      ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, 0);
    dup2(slave, 1);
    dup2(slave, 2);
    if (on_terminal)
      close(master);
    close(slave);
    const std::string preload = std::string("LD_PRELOAD=") + REFRESH_COUNT_PATH;
    const std::string count = std::string("REFRESH_COUNT_FILE=") + count_file;
    const std::string lines = "LINES=" + std::to_string(rows);
    const std::string columns = "COLUMNS=" + std::to_string(cols);
    std::vector<char *> env{const_cast<char *>("TERM=xterm-256color"),
                            const_cast<char *>(preload.c_str()), const_cast<char *>(count.c_str())};
    if (!on_terminal)
      env.insert(env.end(),
                 {const_cast<char *>(lines.c_str()), const_cast<char *>(columns.c_str())});
    env.push_back(nullptr);
    std::vector<std::string> args = prog.before;
    args.push_back(input);
    args.insert(args.end(), prog.after.begin(), prog.after.end());
    std::vector<char *> argv{const_cast<char *>(prog.path.c_str())};
    for (const std::string &arg : args)
      argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execve(prog.path.c_str(), argv.data(), env.data());
    _exit(127);
  }
  close(slave);
  return master;
}

// No file is no update asked for.
long read_count(const char *file) {
  long n = 0;
  if (FILE *in = std::fopen(file, "r")) {
    if (std::fscanf(in, "%ld", &n) != 1)
      n = -1;
    std::fclose(in);
  }
  return n;
}

sample run_once(const program &prog, const std::string &input, int rows, int cols,
                bool case_on_terminal, const std::string &scratch) {
  const bool on_terminal = case_on_terminal || prog.pictured;
  const std::string count_file = scratch + "/refreshes";
  unlink(count_file.c_str());
  const double start = now();
  pid_t pid = -1;
  const int master = spawn(prog, input, rows, cols, on_terminal, count_file.c_str(), &pid);
  static char buf[1 << 20];
  // Off a terminal, the bytes are not counted.
  double bytes = on_terminal ? 0 : -1;
  ssize_t n;
  // The master reads EIO once the program has ended and closed the terminal.
  while (on_terminal && ((n = read(master, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)))
    bytes += static_cast<double>(std::max<ssize_t>(n, 0));
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  const double wall = now() - start;
  if (on_terminal)
    close(master);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed on %s\n", prog.name.c_str(), input.c_str());
    std::exit(1);
  }
  const double cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                     static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
  return {wall, cpu, bytes, static_cast<double>(read_count(count_file.c_str())),
          static_cast<double>(ru.ru_maxrss)};
}

// Makes an input once into the data folder, which runs share: it is written in the run's own
// scratch folder and moved into place whole.
std::string make_input(const std::string &dir, const char *kind, long pairs,
                       const std::string &scratch) {
  std::string path = dir + "/" + kind + "-" + std::to_string(pairs) + ".txt";
  struct stat st = {};
  if (stat(path.c_str(), &st) != 0) {
    const std::string part = scratch + "/input.txt";
    const std::string cmd =
        std::string(MAKE_POINTS_PATH) + " " + kind + " " + std::to_string(pairs) + " > " + part;
    if (std::system(cmd.c_str()) != 0 || std::rename(part.c_str(), path.c_str()) != 0) {
      std::fprintf(stderr, "could not make %s\n", path.c_str());
      std::exit(1);
    }
  }
  return path;
}

// Runs each program on the input, alternating, and prints the medians; the speedup and the CPU
// ratio are against the first program. Returns each program's median of wall seconds.
std::vector<double> bench_case(const std::vector<program> &programs, const char *kind, long pairs,
                               int rows, int cols, bool on_terminal, int runs,
                               const std::string &dir, const std::string &scratch) {
  const std::string input = make_input(dir, kind, pairs, scratch);
  std::vector<std::vector<sample>> results(programs.size());
  for (int r = 0; r < runs; ++r)
    for (std::size_t p = 0; p < programs.size(); ++p)
      results[p].push_back(run_once(programs[p], input, rows, cols, on_terminal, scratch));
  double base_rate = 0;
  double base_cpu = 0;
  std::vector<double> walls;
  for (std::size_t p = 0; p < programs.size(); ++p) {
    auto pick = [&](double sample::*field) {
      std::vector<double> v;
      for (const sample &s : results[p])
        v.push_back(s.*field);
      return median(v);
    };
    const double wall = pick(&sample::wall);
    walls.push_back(wall);
    const double cpu = pick(&sample::cpu);
    const double rate = static_cast<double>(pairs) / wall;
    if (p == 0) {
      base_rate = rate;
      base_cpu = cpu;
    }
    const double bytes = pick(&sample::bytes);
    const std::string shown = bytes < 0 ? "-" : std::to_string(static_cast<long long>(bytes));
    std::printf("%-9s %9ld %4dx%-4d %-9s %8.2f %8.3f %12.0f %12s %10.0f %8.0f %7.2fx %6.2f\n", kind,
                pairs, cols, rows, programs[p].name.c_str(), wall, cpu, rate, shown.c_str(),
                pick(&sample::refreshes), pick(&sample::rss_kib), rate / base_rate, cpu / base_cpu);
    std::fflush(stdout);
  }
  return walls;
}

// Writes pairs that each land on a cell not marked before into a named pipe and times each until
// its mark reaches the terminal.
void bench_latency(const program &prog, const std::string &scratch) {
  const std::string fifo = scratch + "/latency.fifo";
  if (mkfifo(fifo.c_str(), 0600) != 0) {
    std::perror("mkfifo");
    std::exit(1);
  }
  pid_t pid = -1;
  const int master = spawn(prog, fifo, 24, 80, true, "/dev/null", &pid);
  const int writer = open(fifo.c_str(), O_WRONLY);
  char buf[65536];
  // Whatever the start-up sends comes first.
  pollfd p{master, POLLIN, 0};
  while (poll(&p, 1, 200) > 0 && read(master, buf, sizeof buf) > 0) {
  }
  std::vector<double> delays;
  for (int k = 0; k < 1000; ++k) {
    char pair[32];
    const int len =
        std::snprintf(pair, sizeof pair, "%d %d\n", (k % 80) * 51 + 25, (k / 80) * 170 + 85);
    const double start = now();
    if (write(writer, pair, static_cast<std::size_t>(len)) != len)
      std::exit(1);
    bool seen = false;
    while (!seen) {
      const ssize_t n = read(master, buf, sizeof buf);
      if (n <= 0)
        std::exit(1);
      seen = std::memchr(buf, '*', static_cast<std::size_t>(n)) != nullptr;
    }
    delays.push_back((now() - start) * 1e3);
  }
  close(writer);
  while (read(master, buf, sizeof buf) > 0) {
  }
  waitpid(pid, nullptr, 0);
  close(master);
  unlink(fifo.c_str());
  std::sort(delays.begin(), delays.end());
  std::printf("%-9s latency over 1000 pairs: median %.3f ms, 99th percentile %.3f ms\n",
              prog.name.c_str(), median(delays), delays[989]);
}

} // namespace

int main(int argc, char **argv) {
  int runs = 3;
  std::vector<long> counts{1000000, 10000000};
  std::string dir = "bench-data";
  std::vector<program> programs{{"baseline", BASELINE_PATH}, {"trackplot", TRACKPLOT_PATH}};
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) {
      runs = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--pairs") == 0) {
      counts.clear();
      for (char *s = argv[i + 1]; *s != '\0'; s += *s == ',' ? 1 : 0)
        counts.push_back(std::strtol(s, &s, 10));
    } else if (std::strcmp(argv[i], "--data") == 0) {
      dir = argv[i + 1];
    } else if (std::strcmp(argv[i], "--also") == 0 && std::strchr(argv[i + 1], '=') != nullptr) {
      const std::string also = argv[i + 1];
      programs.push_back({also.substr(0, also.find('=')), also.substr(also.find('=') + 1)});
    }
  }
  mkdir(dir.c_str(), 0755);
  // What one run writes as it goes lives in a folder of its own, so two runs never meet.
  std::string scratch = "/tmp/trackplot-bench-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  // Reading alone is measured against the loop that only reads the numbers.
  std::vector<program> reading{{"reading", READING_PATH}};
  reading.insert(reading.end(), programs.begin() + 1, programs.end());
  std::printf("medians of %d runs each, the programs alternating\n", runs);
  std::printf("%-9s %9s %-9s %-9s %8s %8s %12s %12s %10s %8s %8s %6s\n", "input", "pairs", "screen",
              "program", "wall s", "cpu s", "pairs/s", "bytes", "refreshes", "rss KiB", "speedup",
              "cpu x");
  for (long pairs : counts) {
    for (const char *kind : {"lap", "random"})
      for (const auto &[rows, cols] : {std::pair{24, 80}, std::pair{60, 200}})
        bench_case(programs, kind, pairs, rows, cols, true, runs, dir, scratch);
    bench_case(reading, "recording", pairs, 24, 80, false, runs, dir, scratch);
  }
  // On a tall terminal, curses' own update takes far longer a pair, the more so the more rows
  // differ; a few thousand pairs fill most of them.
  for (const auto &[rows, pairs] : {std::pair{1000, 5000L}, std::pair{4096, 4000L}})
    bench_case(programs, "random", pairs, rows, 200, true, runs, dir, scratch);
  // onscale on a GPS log, time,lat,lon,ele, beside the plainest extraction of two of its columns:
  // its position, and its latitude against its clock; and onscale -p drawing the position on a
  // terminal to the finished picture, which it puts away at once.
  const std::vector<program> scaling{{"mawk", "/usr/bin/mawk", {"-F,", "{ print $3, $2 }"}},
                                     {"onscale", ONSCALE_PATH, {}, {"lon", "lat"}},
                                     {"onscale-t", ONSCALE_PATH, {}, {"time", "lat"}},
                                     {.name = "onscale-p",
                                      .path = ONSCALE_PATH,
                                      .before = {"-p"},
                                      .after = {"lon", "lat"},
                                      .pictured = true}};
  const std::vector<double> walls =
      bench_case(scaling, "gps", counts.front(), 24, 80, false, runs, dir, scratch);
  std::printf("onscale -p's finished picture takes %.2f times onscale's reading to /dev/null\n",
              walls[3] / walls[1]);
  for (const program &prog : programs)
    bench_latency(prog, scratch);
  unlink((scratch + "/refreshes").c_str());
  rmdir(scratch.c_str());
  return 0;
}

#include "onscale.h"

#include "messages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <getopt.h>

namespace {

constexpr const char *usage =
    "usage: onscale [-e | -m] [-x MIN:MAX -y MIN:MAX] [-d MARK] [FILE [XCOL YCOL]]\n";

constexpr const char *help =
    "Brings two columns of numbers in FILE, or standard input, onto trackplot's scale for the\n"
    "terminal it runs on, larger y higher up:\n"
    "  onscale ride.csv lon lat | trackplot /dev/stdin\n"
    "\n"
    "  XCOL YCOL    the columns, by number from 1 or by the header's names; 0 is the line's\n"
    "               number among the data lines; 1 and 2 unless given\n"
    "  -x MIN:MAX   the range of x; with -y as well, each pair is written as soon as its line\n"
    "  -y MIN:MAX   is read, for a live feed, and values outside the ranges are left out\n"
    "  -e           one unit is as long across as down\n"
    "  -m           the columns are longitude and latitude in degrees: a map, true to scale\n"
    "               at its middle latitude\n"
    "  -d MARK      the decimal mark, . or , (by default, the one the numbers show)\n"
    "  -h, --help   this text\n"
    "\n"
    "Lines starting with # are comments. Lines left out are counted on standard error.\n"
    "Exit status: 0 when pairs came out, 1 when none could, 2 for a usage error.\n";

int usage_error(const char *what, const char *arg) {
  std::fprintf(stderr, "onscale: %s", what);
  write_shown(stderr, arg, std::strlen(arg));
  std::fprintf(stderr, "\n%s", usage);
  return 2;
}

// Reads MIN:MAX into range; false where it is not two finite numbers, the first the smaller.
bool read_range(const char *arg, double range[2]) {
  const char *const end = arg + std::strlen(arg);
  const char *colon = std::strchr(arg + 1, ':');
  if (colon == nullptr)
    return false;
  const auto lo = std::from_chars(arg, colon, range[0]);
  const auto hi = std::from_chars(colon + 1, end, range[1]);
  return lo.ec == std::errc() && lo.ptr == colon && hi.ec == std::errc() && hi.ptr == end &&
         std::isfinite(range[0]) && std::isfinite(range[1]) && range[0] < range[1];
}

} // namespace

// Reads the command line into the record; returns 0 to go on, or the exit status after the help
// or a usage error, which are written.
int read_command_line(onscale_state *st, int argc, char **argv) {
  static const option longs[] = {{"help", no_argument, nullptr, 'h'}, {}};
  opterr = 0;
  for (int opt = 0; (opt = getopt_long(argc, argv, ":emx:y:d:h", longs, nullptr)) != -1;) {
    if (opt == 'h') {
      std::fputs(usage, stdout);
      std::fputs(help, stdout);
      return -1;
    }
    if (opt == 'e' || opt == 'm') {
      st->equal = true;
      st->map = st->map || opt == 'm';
    } else if (opt == 'x' || opt == 'y') {
      st->ranged[opt - 'x'] = true;
      if (!read_range(optarg, st->range[opt - 'x']))
        return usage_error(opt == 'x' ? "-x takes MIN:MAX: " : "-y takes MIN:MAX: ", optarg);
    } else if (opt == 'd' && (std::strcmp(optarg, ".") == 0 || std::strcmp(optarg, ",") == 0)) {
      st->mark = *optarg == '.' ? dot_mark : comma_mark;
    } else if (opt == 'd') {
      return usage_error("-d takes . or ,: ", optarg);
    } else {
      const char shown[] = {'-', static_cast<char>(optopt), '\0'};
      return usage_error(opt == ':' ? "this option takes a value: " : "no such option: ",
                         optopt != 0 ? shown : argv[optind - 1]);
    }
  }
  const int left = argc - optind;
  if (left == 2 || left > 3)
    return usage_error("give both columns or neither", "");
  if (left > 0)
    st->path = argv[optind];
  for (int axis = 0; axis < 2 && left == 3; ++axis) {
    const char *arg = argv[optind + 1 + axis];
    st->column_arg[axis] = arg;
    const char *end = arg + std::strlen(arg);
    // A column given by number is read as one; anything else is a name the header gives.
    st->column[axis] = -1;
    if (*arg == '\0')
      return usage_error("a column is empty", "");
    if (std::from_chars(arg, end, st->column[axis]).ptr != end || st->column[axis] < 0)
      st->column[axis] = -1;
  }
  st->streaming = st->ranged[0] && st->ranged[1];
  return 0;
}

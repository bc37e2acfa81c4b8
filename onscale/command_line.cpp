#include "fields.h"
#include "number.h"
#include "options.h"
#include "report.h"
#include "shared.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <getopt.h>

namespace {

constexpr const char *usage =
    "usage: onscale [-e | -m] [-p] [-x MIN:MAX -y MIN:MAX] [-d MARK] [-s SEP]\n"
    "               [FILE [XCOL YCOL] | XCOL YCOL]\n";

constexpr const char *help =
    "Brings two columns of numbers in FILE, or standard input, onto trackplot's scale for the\n"
    "terminal it runs on, larger y higher up:\n"
    "  onscale -p ride.csv lon lat\n"
    "  sensor | onscale -x -2:2 -y 0:100 | trackplot /dev/stdin\n"
    "\n"
    "  XCOL YCOL    the columns, by number from 1 or by the header's names; 0 is the line's\n"
    "               number among the data lines; 1 and 2 unless given\n"
    "  -p           draw the pairs with trackplot and keep the picture until Ctrl-C, then say\n"
    "               what the edges of the screen stand for\n"
    "  -x MIN:MAX   the range of x; with -y as well, each pair is written as soon as its line\n"
    "  -y MIN:MAX   is read, for a live feed, and values outside the ranges are left out\n"
    "  -e           one unit is as long across as down\n"
    "  -m           the columns are longitude and latitude in degrees: a map, true to scale\n"
    "               at its middle latitude\n"
    "  -d MARK      the decimal mark, . or , (by default, the one the numbers show)\n"
    "  -s SEP       the separator: , ; tab blank or any one byte (by default, guessed)\n"
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

// Reads MIN:MAX, or MIN..MAX, into range; false where it is not two finite numbers, the first the
// smaller.
bool read_range(const char *arg, double range[2]) {
  const char *const end = arg + std::strlen(arg);
  const char *dots = std::strstr(arg, "..");
  const char *colon = std::strchr(arg + 1, ':');
  const char *between = dots != nullptr ? dots : colon;
  if (between == nullptr)
    return false;
  const char *second = between + (dots != nullptr ? 2 : 1);
  const auto lo = std::from_chars(arg, between, range[0]);
  const auto hi = std::from_chars(second, end, range[1]);
  return lo.ec == std::errc() && lo.ptr == between && hi.ec == std::errc() && hi.ptr == end &&
         std::isfinite(range[0]) && std::isfinite(range[1]) && range[0] < range[1];
}

// Reads the separator -s names into separator; false where it names none.
bool read_separator(const char *arg, char *separator) {
  if (std::strcmp(arg, "tab") == 0)
    *separator = '\t';
  else if (std::strcmp(arg, "blank") == 0)
    *separator = blanks;
  else if (std::strlen(arg) == 1 && *arg != '"' && *arg != '\n' && *arg != '\r')
    *separator = *arg == '\t' ? '\t' : *arg;
  else
    return false;
  return true;
}

// Takes the options, and where -y is given, its value; returns go_on or the exit status.
int read_options(int argc, char **argv, options *opt, const char **y_arg) {
  static const option longs[] = {{"help", no_argument, nullptr, 'h'}, {}};
  opterr = 0;
  for (int c = 0; (c = getopt_long(argc, argv, ":empx:y:d:s:h", longs, nullptr)) != -1;) {
    if (c == 'h') {
      std::fputs(usage, stdout);
      std::fputs(help, stdout);
      return report_written_output() ? 0 : 1;
    }
    if (c == 'e' || c == 'm') {
      opt->equal = true;
      opt->map = opt->map || c == 'm';
    } else if (c == 'p') {
      opt->plot = true;
    } else if (c == 'x' || c == 'y') {
      opt->ranged[c - 'x'] = true;
      *y_arg = c == 'y' ? optarg : *y_arg;
      if (!read_range(optarg, opt->range[c - 'x']))
        return usage_error(c == 'x' ? "-x takes MIN:MAX: " : "-y takes MIN:MAX: ", optarg);
    } else if (c == 'd' && (std::strcmp(optarg, ".") == 0 || std::strcmp(optarg, ",") == 0)) {
      opt->mark = *optarg == '.' ? dot_mark : comma_mark;
    } else if (c == 'd') {
      return usage_error("-d takes . or ,: ", optarg);
    } else if (c == 's') {
      if (!read_separator(optarg, &opt->separator))
        return usage_error("-s takes , ; tab blank or one byte: ", optarg);
    } else {
      const char shown[] = {'-', static_cast<char>(optopt), '\0'};
      return usage_error(c == ':' ? "this option takes a value: " : "no such option: ",
                         optopt != 0 ? shown : argv[optind - 1]);
    }
  }
  return go_on;
}

} // namespace

int read_command_line(int argc, char **argv, options *opt) {
  const char *y_arg = "";
  const int status = read_options(argc, argv, opt, &y_arg);
  if (status != go_on)
    return status;
  // On a map, latitudes lie between the poles.
  if (opt->map && opt->ranged[1] && (opt->range[1][0] < -90 || opt->range[1][1] > 90))
    return usage_error("-m takes latitudes from -90 to 90: ", y_arg);
  // One operand is a file, two are the columns of standard input, three a file and its columns.
  const int left = argc - optind;
  if (left > 3)
    return usage_error("too many operands: ", argv[optind + 3]);
  if (left == 1 || left == 3)
    opt->path = argv[optind];
  for (int axis = 0; axis < 2 && left >= 2; ++axis) {
    const char *arg = argv[argc - 2 + axis];
    opt->column_arg[axis] = arg;
    const char *end = arg + std::strlen(arg);
    if (*arg == '\0')
      return usage_error("a column is empty", "");
    // A column given by number is read as one; anything else is a name the header gives.
    if (std::from_chars(arg, end, opt->column[axis]).ptr != end || opt->column[axis] < 0)
      opt->column[axis] = named_column;
  }
  return go_on;
}

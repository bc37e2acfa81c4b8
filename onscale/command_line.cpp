#include "fields.h"
#include "instant.h"
#include "number.h"
#include "options.h"
#include "report.h"
#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <limits>
#include <string_view>
#include <unistd.h>

namespace {

constexpr const char *usage =
    "usage: onscale [-e | -m] [-p] [-x MIN:MAX -y MIN:MAX] [-d MARK] [-s SEP] [-t FORMAT]\n"
    "               [FILE [XCOL YCOL] | XCOL YCOL]\n";

constexpr const char *help =
    "Brings two columns of numbers in FILE, or standard input, onto trackplot's scale for the\n"
    "terminal it runs on, larger y higher up:\n"
    "  onscale -p ride.csv lon lat\n"
    "  sensor | onscale -x -2:2 -y 0:100 | trackplot /dev/stdin\n"
    "\n"
    "  XCOL YCOL    the columns, by number from 1 or by the header's names; 0 is the line's\n"
    "               number among the data lines; 1 and 2 unless given\n"
    "  -p           draw the pairs with trackplot, a feed as it comes, until Ctrl-C; then\n"
    "               copy the picture as text and say what its edges stand for; to a file or\n"
    "               a pipe, write that copy alone\n"
    "  -x MIN:MAX   the range of x; with -y as well, each pair is written as soon as its line\n"
    "  -y MIN:MAX   is read, and values outside the ranges are left out;\n"
    "               MIN..MAX too, and for times, in their own form: -x 08:00..18:00\n"
    "  -e           one unit is as long across as down\n"
    "  -m           the columns are longitude and latitude in degrees: a map, true to scale\n"
    "               at its middle latitude\n"
    "  -d MARK      the decimal mark, . or , (by default, the one the numbers show)\n"
    "  -s SEP       the separator: , ; tab blank or any one byte (by default, guessed)\n"
    "  -t FORMAT    dates and times as strptime(3) reads them, where they are in no form\n"
    "               onscale knows: ISO 8601, 08:00, 09.12.2026, 2026/12/09, 12/09/2026,\n"
    "               Dec 9 2026, 9 Dec 2026\n"
    "  -h, --help   this text\n"
    "\n"
    "Lines starting with # are comments. Lines left out are counted on standard error.\n"
    "Exit status: 0 when pairs came out, 1 when none could, 2 for a usage error.\n";

int usage_error(const char *what, const char *arg) {
  std::fprintf(stderr, "onscale: %s", what);
  write_escaped(stderr, arg, std::strlen(arg));
  std::fprintf(stderr, "\n%s", usage);
  return 2;
}

// Refuses to wait on a keyboard for data, where standard input is a terminal; where the first of
// two operands names a file, which was meant for data, says how to draw one column of it.
int refuse_keyboard(const options &opt, const char *first) {
  if (first == nullptr || access(first, R_OK) != 0)
    return usage_error("standard input is a terminal; give a file, or data through a pipe", "");
  std::fputs("onscale: standard input is a terminal, and two operands are its columns; to draw "
             "one column of a file against the line number: onscale ",
             stderr);
  std::fputs(opt.plot ? "-p " : "", stderr);
  write_escaped(stderr, first, std::strlen(first));
  std::fputs(" 0 ", stderr);
  write_escaped(stderr, opt.column_arg[1], std::strlen(opt.column_arg[1]));
  std::fprintf(stderr, "\n%s", usage);
  return 2;
}

// How a range reads.
enum range_reading : std::uint8_t { range_read, range_unread, range_reversed };

// Reads the ends of a range of times in one form. Slashed dates are read in the order an end tells,
// where one does; an end that reads both ways is noted, to be read again in its column's order.
bool read_time_range(std::string_view lo, std::string_view hi, const char *time_format, int axis,
                     options *opt) {
  time_form *form = &opt->range_form[axis];
  *form = form_of(lo, time_format);
  if (form_of(hi, time_format) != *form)
    return false;
  const int told[2] = {read_time(lo, *form, -1, time_format).order,
                       read_time(hi, *form, -1, time_format).order};
  if (told[0] >= 0 && told[1] >= 0 && told[0] != told[1])
    return false;
  opt->range_order[axis] = std::max(told[0], told[1]);
  double *range = opt->range[axis];
  range[0] = read_time(lo, *form, opt->range_order[axis], time_format).seconds;
  range[1] = read_time(hi, *form, opt->range_order[axis], time_format).seconds;
  for (int end = 0; end < 2 && opt->range_order[axis] < 0; ++end)
    opt->range_two_ways[axis][end] = swap_day_and_month(range[end]) != range[end];
  // A range of times of day that passes midnight ends the next day.
  if (is_clock_form(*form, time_format) && range[1] < range[0])
    range[1] += seconds_per_day;
  return true;
}

// Reads MIN:MAX or MIN..MAX of numbers, or MIN..MAX of times in one form, into the options.
range_reading read_range(const char *arg, int axis, options *opt) {
  const std::string_view text(arg);
  const std::size_t dots = text.find("..");
  const std::size_t between = dots != std::string_view::npos ? dots : text.find(':', 1);
  if (between == std::string_view::npos)
    return range_unread;
  const std::string_view lo = text.substr(0, between);
  const std::string_view hi = text.substr(between + (dots != std::string_view::npos ? 2 : 1));
  double *range = opt->range[axis];
  const auto lo_read = std::from_chars(lo.data(), lo.data() + lo.size(), range[0]);
  const auto hi_read = std::from_chars(hi.data(), hi.data() + hi.size(), range[1]);
  const bool numbers = lo_read.ec == std::errc() && lo_read.ptr == lo.data() + lo.size() &&
                       hi_read.ec == std::errc() && hi_read.ptr == hi.data() + hi.size();
  if (!numbers &&
      (dots == std::string_view::npos || !read_time_range(lo, hi, opt->time_format, axis, opt)))
    return range_unread;
  if (!std::isfinite(range[0]) || !std::isfinite(range[1]))
    return range_unread;
  return range[0] < range[1] ? range_read : range_reversed;
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

// Takes the options, and the ranges as given; returns go_on or the exit status.
int read_options(int argc, char **argv, options *opt, const char *range_arg[2]) {
  static const option longs[] = {{"help", no_argument, nullptr, 'h'}, {}};
  opterr = 0;
  for (int c = 0; (c = getopt_long(argc, argv, ":empx:y:d:s:t:h", longs, nullptr)) != -1;) {
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
      range_arg[c - 'x'] = optarg;
    } else if (c == 't') {
      opt->time_format = optarg;
    } else if (c == 'd' && (std::strcmp(optarg, ".") == 0 || std::strcmp(optarg, ",") == 0)) {
      opt->radix = *optarg == '.' ? radix_dot : radix_comma;
    } else if (c == 'd') {
      return usage_error("-d takes . or ,: ", optarg);
    } else if (c == 's') {
      if (!read_separator(optarg, &opt->separator))
        return usage_error("-s takes , ; tab blank or one byte: ", optarg);
    } else {
      const char option_text[] = {'-', static_cast<char>(optopt), '\0'};
      return usage_error(c == ':' ? "this option takes a value: " : "no such option: ",
                         optopt != 0 ? option_text : argv[optind - 1]);
    }
  }
  return go_on;
}

} // namespace

int read_command_line(int argc, char **argv, options *opt) {
  const char *range_arg[2] = {"", ""};
  const int status = read_options(argc, argv, opt, range_arg);
  if (status != go_on)
    return status;
  for (int axis = 0; axis < 2; ++axis) {
    const range_reading got =
        opt->ranged[axis] ? read_range(range_arg[axis], axis, opt) : range_read;
    if (got == range_unread)
      return usage_error(axis == 0 ? "-x takes MIN:MAX or MIN..MAX: "
                                   : "-y takes MIN:MAX or MIN..MAX: ",
                         range_arg[axis]);
    if (got == range_reversed)
      return usage_error(axis == 0 ? "-x takes the smaller value first: "
                                   : "-y takes the smaller value first: ",
                         range_arg[axis]);
  }
  // On a map, latitudes lie between the poles.
  if (opt->map && opt->ranged[1] && (opt->range[1][0] < -90 || opt->range[1][1] > 90))
    return usage_error("-m takes latitudes from -90 to 90: ", range_arg[1]);
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
  return std::strcmp(opt->path, "-") == 0 && isatty(STDIN_FILENO) != 0
             ? refuse_keyboard(*opt, left == 2 ? argv[optind] : nullptr)
             : go_on;
}

#include "messages.h"

#include "scale.h"
#include "screen.h"
#include "text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// "<prog>: <before><outside><after>", with outside escaped.
void report(FILE *out, const char *prog, const char *before, const char *outside,
            const char *after) {
  write_escaped(out, prog, std::strlen(prog));
  std::fprintf(out, ": %s", before);
  write_escaped(out, outside, std::strlen(outside));
  std::fputs(after, out);
}

} // namespace

void report_perror(const char *what, int error) {
  std::fprintf(stderr, "%s: %s\n", what, std::strerror(error));
}

void report_no_output(const char *prog) {
  report(stderr, prog, "standard output: ", std::strerror(EBADF), "\n");
}

void report_no_file(const char *prog, const char *path) {
  report(stderr, prog, "", path, " no such file\n");
}

void report_terminal(const char *prog, int fault) {
  const char *type = std::getenv("TERM");
  if (fault == terminal_too_large) {
    write_escaped(stderr, prog, std::strlen(prog));
    std::fprintf(stderr,
                 ": the terminal has more than %d rows or columns, more than the scale has steps\n",
                 full_scale);
  } else if (type == nullptr || *type == '\0') {
    report(stderr, prog, "TERM is not set", "", "\n");
  } else {
    report(stderr, prog, "terminal type ", type,
           fault == terminal_unknown ? " is not known\n"
                                     : " cannot move the cursor to a given cell\n");
  }
}

void report_reading(const char *prog, const char *path, read_status status, const point_reader *rd,
                    FILE *out) {
  if (status == read_failed) {
    report(out, prog, "", path, ": ");
    std::fprintf(out, "%s\n", std::strerror(rd->error));
    return;
  }
  if (status != read_not_integer && status != read_out_of_range)
    return;
  report(out, prog, "", path, "");
  std::fprintf(out, ":%lld: %s: ", static_cast<long long>(rd->token_line),
               status == read_not_integer ? "not an integer" : "integer out of range");
  write_token(out, reinterpret_cast<const char *>(rd->token), rd->token_len);
  std::fputs("\n", out);
}

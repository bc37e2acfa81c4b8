// Differential fuzzing of the point reader: every input is also read by a plainly written
// tokenizer, and any difference in the pairs, or in the kind, line and text of an error, aborts.
// The reader gets the input in pieces of random sizes, one piece a read, the way a pipe delivers
// it, and now and then a signal interrupts a read.
#include "messages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct outcome {
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  read_status status = read_end;
  std::int64_t line = 0; // where the offending token starts
  std::string token;     // its first bytes, as many as a message can show and one more
};

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// What a whole token is: an integer that fits, with its value, or why not.
read_status classify(const std::string &token, std::int32_t *value) {
  const bool negative = token[0] == '-';
  std::string digits = token.substr(token[0] == '+' || token[0] == '-' ? 1 : 0);
  const bool integer = !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (!integer)
    return read_not_integer;
  if (digits.size() > 10 || (digits.size() == 10 && digits > limit))
    return read_out_of_range;
  const std::int64_t magnitude = digits.empty() ? 0 : std::stoll(digits);
  *value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return read_ok;
}

outcome read_plainly(const std::string &text) {
  outcome out;
  std::vector<std::int32_t> numbers;
  std::int64_t line = 1;
  std::size_t i = 0;
  for (;;) {
    for (; i < text.size() && is_blank(text[i]); ++i)
      line += text[i] == '\n';
    if (i == text.size())
      return out;
    const std::size_t start = i;
    while (i < text.size() && !is_blank(text[i]))
      ++i;
    std::string token = text.substr(start, i - start);
    std::int32_t value = 0;
    read_status status = classify(token, &value);
    // A bad token is read only up to the shortest start, of at least the bytes a message shows and
    // one more, that is known to be bad already.
    for (std::size_t n = quoted_length + 1; status != read_ok && n < token.size(); ++n) {
      const read_status start_status = classify(token.substr(0, n), &value);
      if (start_status != read_ok) {
        token.resize(n);
        status = start_status;
        break;
      }
    }
    if (status != read_ok) {
      out.status = status;
      out.line = line;
      out.token = token.substr(0, quoted_length + 1);
      return out;
    }
    numbers.push_back(value);
    if (numbers.size() == 2) {
      out.pairs.emplace_back(numbers[0], numbers[1]);
      numbers.clear();
    }
  }
}

void ignore(int) {}

outcome read_in_pieces(const std::string &text, std::uint32_t seed) {
  int fds[2];
  // Each read of a packet socket returns exactly one piece.
  if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds) != 0)
    std::abort();
  // A signal with a handler that does not restart the read interrupts it, as a resize does in a
  // run; the writer sends one now and then, before a piece.
  static const int handled = [] {
    struct sigaction action = {};
    action.sa_handler = ignore;
    return sigaction(SIGUSR1, &action, nullptr);
  }();
  const pthread_t reader = pthread_self();
  std::thread writer([&] {
    std::minstd_rand gen(seed);
    for (std::size_t at = 0; at < text.size();) {
      if (handled == 0 && gen() % 8 == 0)
        pthread_kill(reader, SIGUSR1);
      const std::size_t piece = std::min<std::size_t>(1 + gen() % 64, text.size() - at);
      if (send(fds[1], text.data() + at, piece, MSG_NOSIGNAL) < 0)
        break;
      at += piece;
    }
    shutdown(fds[1], SHUT_WR);
  });
  point_reader rd;
  open_reader(&rd, fds[0], -1);
  outcome out;
  std::int32_t x = 0;
  std::int32_t y = 0;
  // An interrupted read leaves the reader ready to go on where it stopped.
  while ((out.status = read_pair(&rd, &x, &y)) == read_ok || out.status == read_interrupted)
    if (out.status == read_ok)
      out.pairs.emplace_back(x, y);
  // The writer may still be sending what the reader no longer wants.
  shutdown(fds[0], SHUT_RDWR);
  writer.join();
  close(fds[0]);
  close(fds[1]);
  if (out.status == read_not_integer || out.status == read_out_of_range) {
    out.line = rd.token_line;
    out.token.assign(reinterpret_cast<const char *>(rd.token),
                     std::min(rd.token_len, sizeof rd.token));
  }

  // Whatever the input, the message is one line without a control character, C1 included: a
  // UTF-8 locale shows the token's printable characters as they are.
  char message[4096] = {};
  FILE *mem = fmemopen(message, sizeof message - 1, "w");
  report_reading("p", "f", out.status, &rd, mem);
  std::fclose(mem);
  const std::string shown(message);
  const auto control = [](unsigned char c, unsigned char next) {
    return c < 0x20 || c == 0x7f || (c == 0xc2 && next >= 0x80 && next < 0xa0);
  };
  for (std::size_t i = 0; i + 1 < shown.size(); ++i)
    if (control(static_cast<unsigned char>(shown[i]), static_cast<unsigned char>(shown[i + 1])))
      std::abort();
  if (!shown.empty() && shown.back() != '\n')
    std::abort();
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const auto seed = provider.ConsumeIntegral<std::uint32_t>();
  const std::string text = provider.ConsumeRemainingBytesAsString();
  const outcome want = read_plainly(text);
  const outcome got = read_in_pieces(text, seed);
  if (got.pairs != want.pairs || got.status != want.status || got.line != want.line ||
      got.token != want.token) {
    std::fprintf(stderr, "reader: status %d line %lld token '%s', %zu pairs\n",
                 static_cast<int>(got.status), static_cast<long long>(got.line), got.token.c_str(),
                 got.pairs.size());
    std::fprintf(stderr, "plainly: status %d line %lld token '%s', %zu pairs\n",
                 static_cast<int>(want.status), static_cast<long long>(want.line),
                 want.token.c_str(), want.pairs.size());
    std::abort();
  }
  return 0;
}

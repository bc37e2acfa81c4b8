// Writes benchmark inputs: "lap" (a noisy circuit, 2000 samples a lap) or "random" (uniform pairs
// over the full scale), COUNT pairs to standard output.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

int main(int argc, char **argv) {
  if (argc != 3 || (std::strcmp(argv[1], "lap") != 0 && std::strcmp(argv[1], "random") != 0)) {
    std::fprintf(stderr, "usage: %s lap|random COUNT\n", argv[0]);
    return 2;
  }
  const bool lap = std::strcmp(argv[1], "lap") == 0;
  const long count = std::atol(argv[2]);
  std::mt19937 gen(42);
  std::uniform_int_distribution<int> any(0, 4095);
  std::uniform_real_distribution<double> noise(-12.0, 12.0);
  const double pi = std::acos(-1.0);
  for (long i = 0; i < count; ++i) {
    if (!lap) {
      const int x = any(gen);
      std::printf("%d %d\n", x, any(gen));
      continue;
    }
    const double t = 2 * pi * static_cast<double>(i % 2000) / 2000;
    const double x = 2048 + 1750 * std::cos(t) + 180 * std::cos(3 * t) - 120 * std::sin(2 * t);
    const double y = 2048 + 1500 * std::sin(t) - 520 * std::sin(2 * t) * (std::cos(t) > 0 ? 1 : 0) +
                     150 * std::cos(3 * t);
    std::printf("%d %d\n", static_cast<int>(x + noise(gen)), static_cast<int>(y + noise(gen)));
  }
  return 0;
}

// Writes benchmark inputs, COUNT pairs to standard output: "lap", a noisy circuit, 2000 samples a
// lap; "recording", the same circuit without noise, 100,000 samples a lap, as an acquisition
// system records it, so that a pair almost always falls in the cell of the one before; "random",
// uniform pairs over the full scale; or "gps", a GPS log of COUNT lines, time,lat,lon,ele, a
// quarter of a second apart round a loop of a few kilometres.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>

int main(int argc, char **argv) {
  const bool random = argc == 3 && std::strcmp(argv[1], "random") == 0;
  const bool recording = argc == 3 && std::strcmp(argv[1], "recording") == 0;
  const bool gps = argc == 3 && std::strcmp(argv[1], "gps") == 0;
  if (argc != 3 || (!random && !recording && !gps && std::strcmp(argv[1], "lap") != 0)) {
    std::fprintf(stderr, "usage: %s lap|recording|random|gps COUNT\n", argv[0]);
    return 2;
  }
  const long per_lap = recording ? 100000 : 2000;
  const long count = std::atol(argv[2]);
  std::mt19937 gen(42);
  std::uniform_int_distribution<int> any(0, 4095);
  std::uniform_real_distribution<double> noise(-12.0, 12.0);
  const double pi = std::acos(-1.0);
  if (gps)
    std::puts("time,lat,lon,ele");
  for (long i = 0; i < count; ++i) {
    if (gps) {
      const std::time_t at = 1796822400 + i / 4;
      std::tm t{};
      gmtime_r(&at, &t);
      const double a = 2 * pi * static_cast<double>(i % 3600) / 3600;
      std::printf("%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ,%.7f,%.7f,%.1f\n", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, i % 4 * 250,
                  46.52 + 0.01 * std::sin(a) + noise(gen) * 1e-6, 6.63 + 0.02 * std::cos(a),
                  400 + 30 * std::sin(3 * a));
      continue;
    }
    if (random) {
      const int x = any(gen);
      std::printf("%d %d\n", x, any(gen));
      continue;
    }
    const double t = 2 * pi * static_cast<double>(i % per_lap) / static_cast<double>(per_lap);
    const double x = 2048 + 1750 * std::cos(t) + 180 * std::cos(3 * t) - 120 * std::sin(2 * t);
    const double y = 2048 + 1500 * std::sin(t) - 520 * std::sin(2 * t) * (std::cos(t) > 0 ? 1 : 0) +
                     150 * std::cos(3 * t);
    // The noise of y is drawn first, so that the lap stays the one measured before.
    const double dy = recording ? 0 : noise(gen);
    const double dx = recording ? 0 : noise(gen);
    std::printf("%d %d\n", static_cast<int>(x + dx), static_cast<int>(y + dy));
  }
  return 0;
}

#include "labels.h"

#include "scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

std::string shortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

double cell_span(const frame &f, int axis, screen_size screen) {
  const int cells = axis == 0 ? screen.cols : screen.rows;
  return (value_at_edge(f, axis, true) - value_at_edge(f, axis, false)) *
         std::max(1, scale_for(cells)) / f.top[axis];
}

std::string value_text(double v, double cell, const column_kind &kind, const char *time_format) {
  if (kind.form != no_time_form)
    return write_time(v, kind.form, std::max(kind.order, month_first), kind.zone, time_format,
                      cell);
  if (!(cell > 0) || !std::isfinite(cell))
    return shortest(v);
  const int digits = std::clamp(static_cast<int>(std::ceil(-std::log10(cell))), 0, 17);
  char text[400];
  const int n = std::snprintf(text, sizeof text, "%.*f", digits, v);
  return std::string(text, static_cast<std::size_t>(std::clamp(n, 0, 399)));
}

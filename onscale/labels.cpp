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
  std::string text = shortest(v);
  if (cell > 0 && std::isfinite(cell)) {
    const int digits = std::clamp(static_cast<int>(std::ceil(-std::log10(cell))), 0, 17);
    text.resize(400);
    const int n = std::snprintf(text.data(), text.size(), "%.*f", digits, v);
    text.resize(static_cast<std::size_t>(std::clamp(n, 0, 399)));
  }
  // With the unit, where the column has one, as the column writes it.
  const std::string unit = kind.unit;
  const std::string blank = kind.unit_spaced ? " " : "";
  if (unit.empty())
    return text;
  return kind.unit_before ? unit + blank + text : text + blank + unit;
}

#include "unsure.h"

namespace {

// Lines held back, at most, until a line tells what they wait for.
constexpr std::size_t most_held = 1000;

bool order_open(const line_format &format, int axis) {
  return format.kind[axis].form == slashed_form && format.kind[axis].order < 0;
}

// Whether the line waits for the radix.
bool waits_for_radix(const unsure_readings &u, const data_line &d, const line_format &format,
                     const options &opt) {
  return u.radix < 0 && depends_on_radix(d, format, opt);
}

// Whether the line waits for the order of the column's dates: it reads as two dates, and its pair
// cannot be read again later, as a pair kept to the input's end can be, unless a range given on
// its axis decides whether it comes out.
bool waits_for_order(const unsure_readings &u, const data_line &d, const line_format &format,
                     const options &opt, int axis) {
  return d.two_orders[axis] && order_open(format, axis) &&
         (!u.keep_open_orders || opt.ranged[axis]);
}

bool waits(const unsure_readings &u, const data_line &d, const line_format &format,
           const options &opt) {
  return waits_for_radix(u, d, format, opt) || waits_for_order(u, d, format, opt, 0) ||
         waits_for_order(u, d, format, opt, 1);
}

// Settles the order of the column's dates where the line tells it; where a date before it read as
// two dates, the line is noted for the report.
void settle_order(unsure_readings *u, const data_line &d, line_format *format, const options &opt,
                  int axis) {
  if (!order_open(*format, axis))
    return;
  if (d.order[axis] < 0) {
    u->order_doubted[axis] = u->order_doubted[axis] || d.two_orders[axis];
    return;
  }
  format->kind[axis].order = d.order[axis];
  settle_range(format, opt, axis);
  if (u->order_doubted[axis]) {
    u->order_told_by[axis] = d.line;
    u->order_sample[axis] = d.field[axis];
  }
}

} // namespace

void open_unsure(unsure_readings *u, int radix_given, bool keep_open_orders) {
  *u = unsure_readings{};
  u->radix = radix_given;
  u->keep_open_orders = keep_open_orders;
}

void admit_line(unsure_readings *u, const data_line &d, line_format *format, const options &opt) {
  if (u->radix < 0 && d.radix >= 0)
    u->radix = d.radix;
  for (int axis = 0; axis < 2; ++axis)
    settle_order(u, d, format, opt, axis);
  u->held.push_back(d);
  settle_by_default(u, format, opt, false);
}

void settle_by_default(unsure_readings *u, line_format *format, const options &opt, bool at_end) {
  if (!at_end && u->held.size() < most_held)
    return;
  bool order_waited[2] = {false, false};
  for (const data_line &d : u->held) {
    if (waits_for_radix(*u, d, *format, opt) && !u->radix_by_default) {
      u->radix_by_default = true;
      u->radix_sample = d;
    }
    for (int axis = 0; axis < 2; ++axis)
      order_waited[axis] = order_waited[axis] || waits_for_order(*u, d, *format, opt, axis);
  }
  if (u->radix < 0 && (u->radix_by_default || at_end))
    u->radix = default_radix(format->separator);
  for (int axis = 0; axis < 2; ++axis) {
    if (!order_open(*format, axis) || !u->order_doubted[axis] || (!at_end && !order_waited[axis]))
      continue;
    format->kind[axis].order = month_first;
    settle_range(format, opt, axis);
    u->order_by_default[axis] = true;
  }
}

bool next_settled(unsure_readings *u, const line_format &format, const options &opt, data_line *d,
                  outcome *o) {
  if (u->held.empty() || waits(*u, u->held.front(), format, opt))
    return false;
  *d = u->held.front();
  u->held.pop_front();
  // A line that waits for no radix comes to the same with either.
  *o = outcome_of(*d, u->radix >= 0 ? u->radix : radix_dot, format, opt);
  return true;
}

void note_kept(unsure_readings *u, const line_format &format) {
  for (int axis = 0; axis < 2; ++axis)
    u->kept_open[axis] += order_open(format, axis) ? 1 : 0;
}

bool rereads_kept(const unsure_readings &u, const line_format &format) {
  for (int axis = 0; axis < 2; ++axis)
    if (u.kept_open[axis] > 0 && format.kind[axis].order == day_first)
      return true;
  return false;
}

void reread_kept(const unsure_readings &u, const line_format &format, long first, double *pairs,
                 long n) {
  for (int axis = 0; axis < 2; ++axis) {
    if (format.kind[axis].order != day_first)
      continue;
    for (long k = 0; k < n && first + k < u.kept_open[axis]; ++k)
      pairs[2 * k + axis] = swap_day_and_month(pairs[2 * k + axis]);
  }
}

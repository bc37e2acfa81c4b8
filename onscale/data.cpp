#include "data.h"

#include "fields.h"

#include <algorithm>
#include <cmath>

namespace {

// Why a value is left out, if it is.
fault fault_of(const line_format &format, const options &opt, int axis, double v) {
  if (std::isnan(v))
    return not_a_number;
  if (!std::isfinite(v))
    return not_finite;
  if (opt.map && axis == 1 && std::fabs(v) > 90)
    return not_a_latitude;
  if (opt.ranged[axis] && (v < format.range[axis][0] || v > format.range[axis][1]))
    return out_of_range;
  return no_fault;
}

bool inside(const options &opt, int axis, double v) {
  return v >= opt.range[axis][0] && v <= opt.range[axis][1];
}

// A number that reads two ways, of which only one falls inside the range given, is read that way.
void prefer_reading_in_range(const options &opt, int axis, reading *r) {
  if (!opt.ranged[axis] || radix_told(*r) >= 0 || r->as[0] == r->as[1])
    return;
  const bool in[2] = {inside(opt, axis, r->as[0]), inside(opt, axis, r->as[1])};
  if (in[0] != in[1])
    r->as[in[0] ? 1 : 0] = r->as[in[0] ? 0 : 1];
}

// Reads a time in its column's form into the line: a slashed date in its column's order, or, while
// that is open, the order it tells or month first, noting whether it reads as two dates; and a
// time of day earlier than the latest by more than half a day as one past midnight. Where a range
// of times of day passes midnight, the first time is taken as late as its start allows.
double read_time_value(column_kind *kind, std::string_view field, const options &opt, int axis,
                       data_line *d) {
  const time_reading t = read_time(field, kind->form, kind->order, opt.time_format);
  double v = t.seconds;
  if (kind->form == slashed_form && kind->order < 0 && !std::isnan(v)) {
    d->order[axis] = t.order;
    d->two_orders[axis] = t.order < 0 && swap_day_and_month(v) != v;
  }
  if (!is_clock_form(kind->form, opt.time_format) || std::isnan(v))
    return v;
  if (kind->latest == 0 && opt.ranged[axis] && opt.range[axis][1] > seconds_per_day)
    kind->latest = opt.range[axis][0];
  v += kind->midnights;
  if (kind->latest > 0 && v < kind->latest - seconds_per_day / 2.0) {
    kind->midnights += seconds_per_day;
    v += seconds_per_day;
  }
  kind->latest = v;
  return v;
}

// Reads the column of the axis into the line, with each radix.
void read_column(data_line *d, std::string_view field, long index, line_format *format,
                 int radix_given, const options &opt, int axis) {
  const int column = format->column[axis];
  column_kind *kind = &format->kind[axis];
  if (column > 0 && column <= d->fields && !kind->known) {
    learn_kind(kind, field, opt.time_format);
    // A range's slashed dates that tell their order tell it for the column too.
    if (kind->form == slashed_form)
      kind->order = opt.range_order[axis];
  }
  const bool time = kind->known && kind->form != no_time_form;
  bool other = false;
  reading r{{static_cast<double>(index), static_cast<double>(index)}};
  if (column > d->fields) {
    r = {{no_value, no_value}};
  } else if (column > 0 && time) {
    r.as[0] = r.as[1] = read_time_value(kind, field, opt, axis, d);
  } else if (column > 0) {
    r = read_number_with_unit(*kind, field, radix_given, &other);
    // Read with one radix, the number is the same either way.
    if (radix_given >= 0)
      r.as[1 - radix_given] = r.as[radix_given];
    d->radix = d->radix < 0 ? radix_told(r) : d->radix;
    prefer_reading_in_range(opt, axis, &r);
  }
  for (int m = 0; m < 2; ++m) {
    d->as[m][axis] = r.as[m];
    d->why[m][axis] = column > d->fields            ? too_few_fields
                      : column > 0 && field.empty() ? empty_field
                      : other                       ? other_unit
                      : time && std::isnan(r.as[m]) ? not_a_time
                                                    : no_fault;
  }
}

void copy_token(token *t, std::string_view text) {
  t->len = text.size();
  text.copy(t->text, sizeof t->text);
}

} // namespace

line_format format_for(const options &opt) {
  line_format format{};
  for (int axis = 0; axis < 2; ++axis) {
    format.column[axis] = opt.column[axis];
    format.range[axis][0] = opt.range[axis][0];
    format.range[axis][1] = opt.range[axis][1];
  }
  return format;
}

void settle_range(line_format *format, const options &opt, int axis) {
  for (int end = 0; end < 2; ++end)
    if (opt.range_two_ways[axis][end] && format->kind[axis].order == day_first)
      format->range[axis][end] = swap_day_and_month(opt.range[axis][end]);
}

void range_or(const line_format &format, const options &opt, double lo[2], double hi[2]) {
  for (int axis = 0; axis < 2; ++axis)
    if (opt.ranged[axis]) {
      lo[axis] = format.range[axis][0];
      hi[axis] = format.range[axis][1];
    }
}

data_line read_data_line(std::string_view text, long line, long index, line_format *format,
                         int radix_given, const options &opt) {
  data_line d{};
  d.line = line;
  d.radix = -1;
  d.order[0] = d.order[1] = -1;
  std::string_view field[2];
  d.fields = split_line(text, format->separator, format->column, field);
  for (int axis = 0; axis < 2; ++axis)
    read_column(&d, field[axis], index, format, radix_given, opt, axis);
  // The text is kept for a message: where the line is left out, or waits.
  for (int axis = 0; axis < 2; ++axis)
    copy_token(&d.field[axis], field[axis]);
  return d;
}

data_line too_long_line(long line) {
  data_line d{};
  d.line = line;
  d.radix = -1;
  d.order[0] = d.order[1] = -1;
  d.why[0][0] = d.why[1][0] = too_long;
  return d;
}

outcome outcome_of(const data_line &d, int radix_used, const line_format &format,
                   const options &opt) {
  outcome o{{d.as[radix_used][0], d.as[radix_used][1]}, no_fault, 0};
  for (int axis = 1; axis >= 0; --axis) {
    if (d.two_orders[axis] && format.kind[axis].order == day_first)
      o.v[axis] = swap_day_and_month(o.v[axis]);
    const fault why = d.why[radix_used][axis] != no_fault ? d.why[radix_used][axis]
                                                          : fault_of(format, opt, axis, o.v[axis]);
    // A line is left out for the first column at fault.
    if (why != no_fault) {
      o.why = why;
      o.axis = static_cast<std::uint8_t>(axis);
    }
  }
  return o;
}

bool depends_on_radix(const data_line &d, const line_format &format, const options &opt) {
  const outcome dot = outcome_of(d, radix_dot, format, opt);
  const outcome comma = outcome_of(d, radix_comma, format, opt);
  if (dot.why != no_fault || comma.why != no_fault)
    return dot.why != comma.why || dot.axis != comma.axis;
  return dot.v[0] != comma.v[0] || dot.v[1] != comma.v[1];
}

bool is_header(std::string_view text, const line_format &format, const char *time_format) {
  std::string_view field[2];
  const int fields = split_line(text, format.separator, format.column, field);
  bool chosen = false;
  for (int axis = 0; axis < 2; ++axis) {
    const int column = format.column[axis];
    if (column == 0)
      continue;
    chosen = true;
    column_kind kind{};
    if (column <= fields)
      learn_kind(&kind, field[axis], time_format);
    if (kind.known)
      return false;
  }
  return chosen;
}

bool count_line(tally *t, const data_line &d, const outcome &o) {
  if (o.why != no_fault) {
    if (t->left_out++ == 0) {
      t->first = d;
      t->why = o;
    }
    if (o.why == too_few_fields)
      t->short_line_fields = std::max(t->short_line_fields, d.fields);
    return false;
  }
  for (int axis = 0; axis < 2; ++axis) {
    t->lo[axis] = t->pairs == 0 ? o.v[axis] : std::min(t->lo[axis], o.v[axis]);
    t->hi[axis] = t->pairs == 0 ? o.v[axis] : std::max(t->hi[axis], o.v[axis]);
  }
  ++t->pairs;
  return true;
}

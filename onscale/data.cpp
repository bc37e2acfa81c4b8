#include "data.h"

#include "fields.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double no_number = std::numeric_limits<double>::quiet_NaN();

// Why a value read with a decimal mark is left out, if it is.
fault fault_of(const options &opt, int axis, double v) {
  if (std::isnan(v))
    return not_a_number;
  if (!std::isfinite(v))
    return not_finite;
  if (opt.map && axis == 1 && std::fabs(v) > 90)
    return not_a_latitude;
  if (opt.ranged[axis] && (v < opt.range[axis][0] || v > opt.range[axis][1]))
    return out_of_range;
  return no_fault;
}

bool inside(const options &opt, int axis, double v) {
  return v >= opt.range[axis][0] && v <= opt.range[axis][1];
}

constexpr double day = 86400;

// A number that reads two ways, of which only one falls inside the range given, takes that one.
void take_the_reading_in_range(const options &opt, int axis, reading *r) {
  if (!opt.ranged[axis] || mark_shown(*r) >= 0 || r->as[0] == r->as[1])
    return;
  const bool in[2] = {inside(opt, axis, r->as[0]), inside(opt, axis, r->as[1])};
  if (in[0] != in[1])
    r->as[in[0] ? 1 : 0] = r->as[in[0] ? 0 : 1];
}

// Settles what a column holds where its value shows it: a number, or a time in a form.
void settle_kind(column_kind *kind, std::string_view field, const char *time_format) {
  const reading n = read_number(field, -1);
  kind->known = !std::isnan(n.as[0]) || !std::isnan(n.as[1]);
  if (kind->known)
    return;
  kind->form = form_of(field, time_format);
  kind->known = kind->form != no_time_form;
  kind->order = -1;
  kind->zone = kind->known ? read_time(field, kind->form, -1, time_format).zone : no_zone;
}

// Reads a time in its column's form: a slashed date that shows its order settles it; one that does
// not is read month first, unless only the other reading falls inside the range given; and a time
// of day earlier than the latest by more than half a day has passed midnight.
double read_time_value(column_kind *kind, std::string_view field, const options &opt, int axis,
                       bool *unsure) {
  const time_reading t = read_time(field, kind->form, kind->order, opt.time_format);
  double v = t.seconds;
  if (kind->form == slashed_form && kind->order < 0 && t.order >= 0)
    kind->order = t.order;
  *unsure = kind->form == slashed_form && kind->order < 0 && !std::isnan(v);
  if (*unsure && opt.ranged[axis] && !inside(opt, axis, v) &&
      inside(opt, axis, swap_day_and_month(v))) {
    v = swap_day_and_month(v);
    *unsure = false;
  }
  if (kind->form != time_of_day_form || std::isnan(v))
    return v;
  v += kind->midnights;
  if (kind->latest > 0 && v < kind->latest - day / 2) {
    kind->midnights += day;
    v += day;
  }
  kind->latest = v;
  return v;
}

void copy_token(token *t, std::string_view text) {
  t->len = text.size();
  text.copy(t->text, sizeof t->text);
}

// A line is left out for the first column at fault.
bool take_fault(outcome *o, fault why, int axis) {
  if (o->why != no_fault || why == no_fault)
    return false;
  o->why = why;
  o->axis = static_cast<std::uint8_t>(axis);
  return true;
}

} // namespace

data_line read_data_line(std::string_view text, long line, long index, line_format *format,
                         int mark, const options &opt) {
  data_line d{};
  d.line = line;
  d.shows = -1;
  std::string_view field[2];
  d.fields = split_line(text, format->separator, format->column, field);
  bool faulty = false;
  for (int axis = 0; axis < 2; ++axis) {
    const int column = format->column[axis];
    column_kind *kind = &format->kind[axis];
    if (column > 0 && column <= d.fields && !kind->known)
      settle_kind(kind, field[axis], opt.time_format);
    const bool time = kind->known && kind->form != no_time_form;
    reading r{{static_cast<double>(index), static_cast<double>(index)}};
    if (column > d.fields) {
      r = {{no_number, no_number}};
    } else if (column > 0 && time) {
      r.as[0] = r.as[1] = read_time_value(kind, field[axis], opt, axis, &d.unsure[axis]);
    } else if (column > 0) {
      r = read_number(field[axis], mark);
      // Read with one mark, the number is the same either way.
      if (mark >= 0)
        r.as[1 - mark] = r.as[mark];
      d.shows = d.shows < 0 ? mark_shown(r) : d.shows;
      take_the_reading_in_range(opt, axis, &r);
    }
    for (int m = 0; m < 2; ++m) {
      d.with[m].v[axis] = r.as[m];
      const fault why = column > d.fields             ? too_few_fields
                        : time && std::isnan(r.as[m]) ? not_a_time
                                                      : fault_of(opt, axis, r.as[m]);
      faulty = take_fault(&d.with[m], why, axis) || faulty;
    }
  }
  // The text is kept for a message: where the line is left out, or waits for the mark.
  if (faulty || (mark < 0 && depends_on_mark(d)))
    for (int axis = 0; axis < 2; ++axis)
      copy_token(&d.field[axis], field[axis]);
  return d;
}

data_line too_long_line(long line) {
  data_line d{};
  d.line = line;
  d.shows = -1;
  d.with[0].why = d.with[1].why = too_long;
  return d;
}

bool depends_on_mark(const data_line &d) {
  const outcome &dot = d.with[dot_mark];
  const outcome &comma = d.with[comma_mark];
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
      settle_kind(&kind, field[axis], time_format);
    if (kind.known)
      return false;
  }
  return chosen;
}

bool tally_line(tally *t, const data_line &d, decimal_mark mark) {
  const outcome &o = d.with[mark];
  if (o.why != no_fault) {
    if (t->left_out++ == 0) {
      t->first = d;
      t->first_mark = mark;
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

#include "column.h"

#include <cmath>

void learn_kind(column_kind *kind, std::string_view field, const char *time_format) {
  kind->order = -1;
  kind->form = time_format != nullptr && form_of(field, time_format) == format_form ? format_form
                                                                                    : no_time_form;
  if (kind->form == no_time_form) {
    const unit_split u = split_unit(field);
    const reading n = read_number(field, -1);
    const reading without_unit = u.unit.empty() ? n : read_number(u.number, -1);
    kind->known = !std::isnan(n.as[0]) || !std::isnan(n.as[1]) || !std::isnan(without_unit.as[0]) ||
                  !std::isnan(without_unit.as[1]);
    if (kind->known && std::isnan(n.as[0]) && std::isnan(n.as[1])) {
      kind->unit[u.unit.copy(kind->unit, longest_unit)] = '\0';
      kind->unit_before = u.before;
      kind->unit_spaced = u.spaced;
    }
    if (kind->known)
      return;
    kind->form = form_of(field, nullptr);
  }
  kind->known = kind->form != no_time_form;
  kind->zone = kind->known ? read_time(field, kind->form, -1, time_format).zone : no_zone;
}

reading read_number_with_unit(const column_kind &kind, std::string_view field, int radix_given,
                              bool *other) {
  reading r = read_number(field, radix_given);
  const bool plain = !std::isnan(r.as[0]) || !std::isnan(r.as[1]);
  const std::string_view unit = kind.unit;
  if (unit.empty() && plain)
    return r;
  const unit_split u = split_unit(field);
  *other = u.unit != unit || (plain && !unit.empty());
  if (*other || u.unit.empty())
    return *other ? reading{{no_value, no_value}} : r;
  r = read_number(u.number, radix_given);
  for (double &v : r.as)
    v = u.negative ? -v : v;
  return r;
}

// onscale's reading and placing, on their own.
#include "data.h"
#include "drawing.h"
#include "fields.h"
#include "input.h"
#include "number.h"
#include "place.h"
#include "text.h"
#include "unit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using testing::NanSensitiveDoubleEq;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// The blanks that may separate the thousands with a decimal comma, by name.
const std::string no_break_space = "\u00a0";
const std::string narrow_no_break_space = "\u202f";

TEST(onscale, numbers_read_with_each_decimal_mark_in_one_pass) {
  const struct {
    std::string field;
    double dot;
    double comma;
  } cases[] = {
      {"42", 42, 42},
      {"46.5200071", 46.5200071, nan},
      {"123456789012.345", 123456789012.345, nan},
      {"1234567890.1234567", 1234567890.1234567, nan},
      {"-7", -7, -7},
      {"+7", 7, 7},
      {"1,234", 1234, 1.234},
      {"2.500", 2.5, 2500},
      {"1,234.5", 1234.5, nan},
      {"1.234,5", nan, 1234.5},
      {"1 234,5", nan, 1234.5},
      {"1" + no_break_space + "234,5", nan, 1234.5},
      {"1" + narrow_no_break_space + "234" + narrow_no_break_space + "567", nan, 1234567},
      {"1,234,567", 1234567, nan},
      {"1.234.567,89", nan, 1234567.89},
      {"12,34", nan, 12.34},
      {"12345,678", nan, 12345.678},
      {"1234,567", nan, 1234.567},
      {"0.500", 0.5, nan},
      {"0,500", nan, 0.5},
      {".5", 0.5, nan},
      {"5.", 5, nan},
      {"1e-3", 0.001, 0.001},
      {"-1,5E3", nan, -1500},
      {"1..000,5", nan, nan},
      {"1,2,3", nan, nan},
      {"1e", nan, nan},
      {"e5", nan, nan},
      {"-", nan, nan},
      {"", nan, nan},
      {"n/a", nan, nan},
      {"0x10", nan, nan},
      {"1e999", inf, inf},
      {"-1e999", -inf, -inf},
      {"1e-999", 0, 0},
      {std::string(400, '9'), inf, inf},
      {std::string(401, '9'), nan, nan},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.field);
    const reading both = read_number(c.field, -1);
    EXPECT_THAT(both.as[radix_dot], NanSensitiveDoubleEq(c.dot));
    EXPECT_THAT(both.as[radix_comma], NanSensitiveDoubleEq(c.comma));
    const reading with_dot = read_number(c.field, radix_dot);
    EXPECT_THAT(with_dot.as[radix_dot], NanSensitiveDoubleEq(c.dot));
    EXPECT_TRUE(std::isnan(with_dot.as[radix_comma]));
    EXPECT_THAT(read_number(c.field, radix_comma).as[radix_comma], NanSensitiveDoubleEq(c.comma));
  }
}

TEST(onscale, the_separator_is_guessed_from_the_first_line) {
  const struct {
    const char *line;
    char separator;
  } cases[] = {
      {"a;b,c\td", ';'},
      {"a,b\tc", '\t'},
      {"1,2", ','},
      {"1, 2", ','},
      {"0,25 100", ' '},
      {"1,5 2,5 3", ' '},
      {"x,y z", ','},
      {"a b", ' '},
      {"\"a;b\",c", ','},
      {"1,2 ", ','},
      {",1 2", ','},
      {"1 2,", ','},
      {"2026-12-09 08:00:00,57", ','},
      {"1,234,5 6", ','},
      {"  1,5", ','},
      {"2024-05-12 23:58:00,587 INFO 60", dated_blanks},
      {"23:58:00,587 60", blanks},
  };
  for (const auto &c : cases)
    EXPECT_EQ(separator_of(c.line), c.separator) << c.line;
}

TEST(onscale, fields_are_split_unquoted_and_counted) {
  const struct { // NOLINT(clang-analyzer-optin.performance.Padding): in the order a case reads
    const char *line;
    char separator;
    int want[2];
    const char *first;
    const char *second;
    int fields;
  } cases[] = {
      {"a,b,c", ',', {1, 3}, "a", "c", 3},
      {" a , b ", ',', {2, 1}, "b", "a", 2},
      {"a,b,", ',', {3, 1}, "", "a", 3},
      {"a,b", ',', {1, 5}, "a", "", 2},
      {"\"a,b\",\"c\"\"d\"", ',', {1, 2}, "a,b", "c\"\"d", 2},
      {"  a \t b  ", blanks, {2, 1}, "b", "a", 2},
      {"a b", blanks, {1, 3}, "a", "", 2},
      {"h [09/Dec/2026:08:00 +0000] 5", blanks, {2, 3}, "09/Dec/2026:08:00 +0000", "5", 3},
      {"2026-12-09 08:00 5", dated_blanks, {1, 2}, "2026-12-09 08:00", "5", 2},
      {"12/9/2026 8:00 PM 5", dated_blanks, {1, 2}, "12/9/2026 8:00 PM", "5", 2},
      {"", ',', {1, 2}, "", "", 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    std::string_view text[2];
    EXPECT_EQ(split_line(c.line, c.separator, c.want, text), c.fields);
    EXPECT_EQ(text[0], c.first);
    EXPECT_EQ(text[1], c.second);
  }
  std::string_view rest = "\"a\"\"b\",c";
  EXPECT_EQ(unquoted(next_field(&rest, ',')), "a\"b");
  EXPECT_EQ(unquoted(next_field(&rest, ',')), "c");
  EXPECT_EQ(rest.data(), nullptr);
}

// A line read with both radix characters: the one it tells, whether the radix decides what it
// comes to, and what it comes to with each.
TEST(onscale, a_line_tells_the_radix_or_waits_for_it) {
  const struct {
    const char *line;
    const char *ranges; // "x" or "y" or "xy": -x 0:10, -y 0:10; "m" for a map
    int radix;
    bool depends;
    outcome dot;
    outcome comma;
  } cases[] = {
      {"1 2", "", -1, false, {{1, 2}, no_fault, 0}, {{1, 2}, no_fault, 0}},
      {"2.500 1", "", -1, true, {{2.5, 1}, no_fault, 0}, {{2500, 1}, no_fault, 0}},
      {"2.500 1", "x", -1, false, {{2.5, 1}, no_fault, 0}, {{2.5, 1}, no_fault, 0}},
      {"1 2,5", "", radix_comma, true, {{1, nan}, not_a_number, 1}, {{1, 2.5}, no_fault, 0}},
      {"1.5 2", "", radix_dot, true, {{1.5, 2}, no_fault, 0}, {{nan, 2}, not_a_number, 0}},
      {"x 2.500", "", -1, false, {{nan, 2.5}, not_a_number, 0}, {{nan, 2500}, not_a_number, 0}},
      {"1", "", -1, false, {{1, nan}, too_few_fields, 1}, {{1, nan}, too_few_fields, 1}},
      {"1e999 1", "", -1, false, {{inf, 1}, not_finite, 0}, {{inf, 1}, not_finite, 0}},
      {"11 5", "xy", -1, false, {{11, 5}, out_of_range, 0}, {{11, 5}, out_of_range, 0}},
      {"5 -1", "y", -1, false, {{5, -1}, out_of_range, 1}, {{5, -1}, out_of_range, 1}},
      {"10 0", "xy", -1, false, {{10, 0}, no_fault, 0}, {{10, 0}, no_fault, 0}},
      {"5 90.5", "m", radix_dot, true, {{5, 90.5}, not_a_latitude, 1}, {{5, nan}, not_a_number, 1}},
      {"5 -90", "m", -1, false, {{5, -90}, no_fault, 0}, {{5, -90}, no_fault, 0}},
      {"12% $5", "", -1, false, {{12, 5}, no_fault, 0}, {{12, 5}, no_fault, 0}},
      {"60ms -$5", "", -1, false, {{60, -5}, no_fault, 0}, {{60, -5}, no_fault, 0}},
      {"1.5kg 2", "", radix_dot, true, {{1.5, 2}, no_fault, 0}, {{nan, 2}, not_a_number, 0}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    options opt;
    const std::string ranges = c.ranges;
    opt.map = ranges == "m";
    for (int axis = 0; axis < 2; ++axis) {
      opt.ranged[axis] = ranges.find("xy"[axis]) != std::string::npos;
      opt.range[axis][0] = 0;
      opt.range[axis][1] = 10;
    }
    line_format format{blanks, {1, 2}, {}, {{0, 10}, {0, 10}}};
    const data_line d = read_data_line(c.line, 7, 3, &format, -1, opt);
    EXPECT_EQ(d.line, 7);
    EXPECT_EQ(d.radix, c.radix);
    EXPECT_EQ(depends_on_radix(d, format, opt), c.depends);
    for (int m = 0; m < 2; ++m) {
      const outcome &want = m == radix_dot ? c.dot : c.comma;
      const outcome got = outcome_of(d, m, format, opt);
      EXPECT_EQ(got.why, want.why) << "radix " << m;
      if (want.why != no_fault) {
        EXPECT_EQ(got.axis, want.axis) << "radix " << m;
      }
      for (int axis = 0; axis < 2; ++axis)
        EXPECT_THAT(got.v[axis], NanSensitiveDoubleEq(want.v[axis])) << "radix " << m;
    }
  }
}

TEST(onscale, the_line_number_stands_for_column_0_and_a_header_holds_no_number) {
  const options opt;
  line_format format{',', {0, 2}, {}, {}};
  const outcome o =
      outcome_of(read_data_line("x,5", 9, 4, &format, radix_dot, opt), radix_dot, format, opt);
  EXPECT_EQ(o.v[0], 4);
  EXPECT_EQ(o.v[1], 5);
  const struct {
    const char *line;
    int column[2];
    bool header;
  } cases[] = {
      {"x,y", {1, 2}, true},    {"1,n/a", {1, 2}, false}, {"n/a,1", {1, 2}, false},
      {"t,ele", {0, 2}, true},  {"1,2", {0, 0}, false},   {"a", {1, 2}, true},
      {"a,2,5", {1, 3}, false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(is_header(c.line, {',', {c.column[0], c.column[1]}, {}, {}}, nullptr), c.header)
        << c.line;
}

// 2026-12-09T00:00:00Z, and an hour.
constexpr double december_9 = 1796774400;
constexpr double hour = 3600;

TEST(onscale, dates_and_times_read_as_the_instants_they_are) {
  const struct { // NOLINT(clang-analyzer-optin.performance.Padding): in the order a case reads
    const char *value;
    time_form form;
    double seconds;
    int order = -1;
    const char *format = nullptr;
  } cases[] = {
      {"2026-12-09", iso_form, december_9},
      {"2026-12-09T08:00", iso_form, december_9 + 8 * hour},
      {"2026-12-09 08:00:00", iso_form, december_9 + 8 * hour},
      {"2026-12-09T08:00:00.250Z", iso_form, december_9 + 8 * hour + 0.25},
      {"2026-12-09T09:00:00+01:00", iso_form, december_9 + 8 * hour},
      {"2026-12-09T03:30:00-0430", iso_form, december_9 + 8 * hour},
      {"2026-12-09T08:00+01", iso_form, december_9 + 7 * hour},
      {"2026-12-09-08:00:01", iso_form, december_9 + 8 * hour + 1},
      {"2026-12-09T24:00", iso_form, december_9 + 24 * hour},
      {"2028-02-29", iso_form, december_9 + 447 * 24 * hour},
      {"08:00", time_of_day_form, 8 * hour},
      {"8:00:00.5", time_of_day_form, 8 * hour + 0.5},
      {"8:00 PM", time_of_day_form, 20 * hour},
      {"12:30am", time_of_day_form, 0.5 * hour},
      {"1:00 PM", time_of_day_form, 13 * hour},
      {"09.12.2026 08:00", dotted_form, december_9 + 8 * hour},
      {"9.12.2026", dotted_form, december_9},
      {"2026/12/09 08:00:00", year_first_form, december_9 + 8 * hour},
      {"12/09/2026", slashed_form, december_9},
      {"12/9/2026 8:00 AM", slashed_form, december_9 + 8 * hour},
      {"13/12/2026", slashed_form, december_9 + 4 * 24 * hour, day_first},
      {"12/13/2026", slashed_form, december_9 + 4 * 24 * hour, month_first},
      {"9 Dec 2026, 8h", format_form, december_9 + 8 * hour, -1, "%d %b %Y, %Hh"},
      {"2026-12-09 08:00 +0100", format_form, december_9 + 7 * hour, -1, "%Y-%m-%d %H:%M %z"},
      {"2026-12-09", iso_form, december_9, -1, "%d %b %Y"},
      {"20261209", format_form, december_9, -1, "%Y%m%d"},
      {"Dec 9 2026", month_day_form, december_9},
      {"December 9, 2026 8:00 PM", month_day_form, december_9 + 20 * hour},
      {"9 Dec 2026", day_month_form, december_9},
      {"09-Dec-2026", day_month_form, december_9},
      {"09/Dec/2026:09:00:00 +0100", day_month_form, december_9 + 8 * hour},
      {"Wed, 9 Dec 2026 08:00:00 GMT", day_month_form, december_9 + 8 * hour},
      {"Sept 9 2026", month_day_form, december_9 - 91 * 24 * hour},
      {"Dez 9 2026", no_time_form, 0},
      {"2026-02-30", no_time_form, 0},
      {"2027-02-29", no_time_form, 0},
      {"2026-12-09T08:60", no_time_form, 0},
      {"2026-12-09T08:00+24:00", no_time_form, 0},
      {"2026-12-09T08:00x01", no_time_form, 0},
      {"25:00", no_time_form, 0},
      {"13:00 PM", no_time_form, 0},
      {"2026-12-09T08:00 PM", no_time_form, 0},
      {"13/13/2026", no_time_form, 0},
      {"2026-12-9", no_time_form, 0},
      {"1796774400", no_time_form, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(form_of(c.value, c.format), c.form);
    if (c.form == no_time_form)
      continue;
    const time_reading r = read_time(c.value, c.form, -1, c.format);
    EXPECT_DOUBLE_EQ(r.seconds, c.seconds);
    EXPECT_EQ(r.order, c.order);
  }
  // A value of any length is read with the format.
  const std::string long_format = "%Y" + std::string(300, 'x');
  EXPECT_EQ(form_of("2026" + std::string(300, 'x'), long_format.c_str()), format_form);
  // A slashed date read in an order it refutes is none.
  EXPECT_TRUE(std::isnan(read_time("13/12/2026", slashed_form, month_first, nullptr).seconds));
  EXPECT_EQ(
      read_time("12/01/2026", slashed_form, day_first, nullptr).seconds,
      swap_day_and_month(read_time("12/01/2026", slashed_form, month_first, nullptr).seconds));
}

TEST(onscale, instants_are_written_back_as_their_column_writes_them) {
  const double eight = december_9 + 8 * hour;
  const struct {
    double seconds;
    time_form form;
    int order;
    int zone;
    double step;
    const char *text;
  } cases[] = {
      {eight + 0.25, iso_form, -1, 0, 0.01, "2026-12-09T08:00:00.25Z"},
      {eight, iso_form, -1, 3600, 1, "2026-12-09T09:00:00+01:00"},
      {eight, iso_form, -1, -16200, 60, "2026-12-09T03:30-04:30"},
      {eight, iso_form, -1, no_zone, 24 * hour, "2026-12-09"},
      {25 * hour, time_of_day_form, -1, no_zone, 60, "01:00 next day"},
      {53 * hour, time_of_day_form, -1, no_zone, 60, "05:00 2 days later"},
      {eight, month_day_form, -1, no_zone, 24 * hour, "Dec 9 2026"},
      {eight, day_month_form, -1, 3600, 60, "9 Dec 2026 09:00 +0100"},
      {eight, dotted_form, -1, no_zone, 60, "09.12.2026 08:00"},
      {eight, year_first_form, -1, no_zone, 1, "2026/12/09 08:00:00"},
      {eight, slashed_form, day_first, no_zone, 60, "09/12/2026 08:00"},
      {eight, slashed_form, month_first, no_zone, 24 * hour, "12/09/2026"},
      {951782400, iso_form, -1, no_zone, 24 * hour, "2000-02-29"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(write_time(c.seconds, c.form, c.order, c.zone, nullptr, c.step), c.text);
  EXPECT_EQ(write_time(eight, format_form, -1, no_zone, "%d %b %Y, %Hh", 1), "09 Dec 2026, 08h");
  // Written with -t, a value keeps its zone and its seconds since 1970, and a format of any
  // length gives the whole of it.
  EXPECT_EQ(write_time(eight, format_form, -1, 3600, "%Y-%m-%d %H:%M %z", 60),
            "2026-12-09 09:00 +0100");
  EXPECT_EQ(write_time(eight, format_form, -1, 0, "@%s", 1), "@1796803200");
  const std::string long_format = "%Y" + std::string(200, '-') + "%H";
  EXPECT_EQ(write_time(eight, format_form, -1, no_zone, long_format.c_str(), 60),
            "2026" + std::string(200, '-') + "08");
  EXPECT_EQ(write_time(29 * hour, format_form, -1, no_zone, "%Hh%M", 60), "05h00 next day");
  // Seconds since 1970 are the same instant whatever TZ says.
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  EXPECT_EQ(read_time("@1774746000", format_form, -1, "@%s").seconds, 1774746000);
  unsetenv("TZ");
  tzset();
}

// What a column holds is settled by its first value; times of day that pass midnight go on into
// the next day, and a time outside the column's form is left out.
TEST(onscale, a_column_of_times_goes_on_past_midnight) {
  const options opt;
  line_format format{blanks, {1, 2}, {}, {{0, 10}, {0, 10}}};
  const struct {
    const char *line;
    double x;
    fault why = no_fault;
  } lines[] = {{"23:00 1", 23 * hour},
               {"23:59:30 1", 23 * hour + 59.5 * 60},
               {"00:30 1", 24.5 * hour},
               {"00:20 1", 24 * hour + 1200},
               {"2026-12-09 1", nan, not_a_time},
               {"13:00 1", 37 * hour}};
  long index = 0;
  for (const auto &l : lines) {
    SCOPED_TRACE(l.line);
    const data_line d = read_data_line(l.line, index + 1, index + 1, &format, radix_dot, opt);
    ++index;
    const outcome o = outcome_of(d, radix_dot, format, opt);
    EXPECT_THAT(o.v[0], NanSensitiveDoubleEq(l.x));
    EXPECT_EQ(o.why, l.why);
  }
  EXPECT_EQ(format.kind[0].form, time_of_day_form);
  EXPECT_EQ(format.kind[1].form, no_time_form);
  EXPECT_TRUE(is_header("time,temp", {',', {1, 2}, {}, {}}, nullptr));
  EXPECT_FALSE(is_header("08:00,n/a", {',', {1, 2}, {}, {}}, nullptr));
}

TEST(onscale, values_are_placed_on_the_screen_and_the_edges_read_back) {
  const double lo[2] = {0, 0};
  const double hi[2] = {10, 10};
  const frame whole = frame_between(lo, hi, {24, 80}, false, false);
  const struct { // NOLINT(clang-analyzer-optin.performance.Padding): in the order a case reads
    int axis;
    double v;
    int sample;
  } cases[] = {{0, 0, 0},    {0, 10, 4079}, {0, 5, 2039},  {1, 0, 4079},  {1, 10, 0},
               {1, 5, 2040}, {0, -1, 0},    {0, 11, 4079}, {1, 2.5, 3060}};
  for (const auto &c : cases)
    EXPECT_EQ(place(whole, c.axis, c.v), c.sample) << c.axis << ": " << c.v;
  // A unit as long across as down: 10 by 10 on 80x24, whose cells are twice as high as wide, takes
  // 48 of the 80 columns, centred.
  const frame equal = frame_between(lo, hi, {24, 80}, true, false);
  EXPECT_DOUBLE_EQ(equal.part[0], 0.6);
  EXPECT_DOUBLE_EQ(equal.part[1], 1);
  EXPECT_DOUBLE_EQ(value_at_edge(equal, 0, false), -10.0 / 3);
  EXPECT_DOUBLE_EQ(value_at_edge(equal, 0, true), 10 + 10.0 / 3);
  EXPECT_DOUBLE_EQ(value_at_edge(equal, 1, false), 0);
  EXPECT_DOUBLE_EQ(value_at_edge(equal, 1, true), 10);
  // On a map at 60 degrees, a degree of longitude is half as long as one of latitude.
  const double map_lo[2] = {0, 55};
  const double map_hi[2] = {10, 65};
  EXPECT_DOUBLE_EQ(frame_between(map_lo, map_hi, {24, 80}, true, true).part[0], 0.3);
  EXPECT_EQ(frame_between(lo, hi, {24, 5000}, false, false).top[0], 4095);
}

TEST(onscale, utf16_becomes_utf8_whatever_the_reads_cut) {
  const struct {
    const char *name;
    std::string bytes; // little-endian
    std::string utf8;
  } cases[] = {
      {"ascii", std::string("1\0,\0002\0\n\0", 8), "1,2\n"},
      {"euro", std::string("\xac\x20", 2), "\u20ac"},
      {"pair", std::string("\x3d\xd8\x00\xde", 4), "\U0001f600"},
      {"half_a_pair", std::string("\x3d\xd8x\0", 4), "\ufffdx"},
      {"low_half_alone", std::string("\x00\xdc", 2), "\ufffd"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool big_endian : {false, true}) {
      std::string in = c.bytes;
      for (std::size_t at = 0; big_endian && at + 1 < in.size(); at += 2)
        std::swap(in[at], in[at + 1]);
      // Fed a byte at a time, as reads may cut the input anywhere.
      utf16_state s{big_endian, -1, 0};
      std::string out;
      for (const char byte : in) {
        char buf[8];
        out.append(buf, utf16_to_utf8(&s, reinterpret_cast<const unsigned char *>(&byte), 1, buf));
      }
      EXPECT_EQ(out, c.utf8) << (big_endian ? "big-endian" : "little-endian");
    }
  }
}

TEST(onscale, a_unit_before_or_after_a_number_is_told_from_it) {
  const struct {
    const char *field;
    const char *number;
    const char *unit; // none where empty
    bool before;
    bool spaced;
  } cases[] = {
      {"1.234,56 \u20ac", "1.234,56", "\u20ac", false, true},
      {"$1,234.50", "1,234.50", "$", true, false},
      {"EUR 5", "5", "EUR", true, true},
      {"12%", "12", "%", false, false},
      {"21.5 \u00b0C", "21.5", "\u00b0C", false, true},
      {"x1", "x1", "", false, false},
      {"Q1", "Q1", "", false, false},
      {"5e", "5e", "", false, false},
      {"n/a", "n/a", "", false, false},
      {"$5 USD", "$5 USD", "", false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.field);
    const unit_split u = split_unit(c.field);
    EXPECT_EQ(u.number, c.number);
    EXPECT_EQ(u.unit, c.unit);
    if (*c.unit != '\0') {
      EXPECT_EQ(u.before, c.before);
      EXPECT_EQ(u.spaced, c.spaced);
    }
  }
}

// The shortcut for the commonest numbers gives what reading them byte by byte gives, for any radix.
TEST(onscale, the_shortcut_for_plain_numbers_reads_as_the_whole_reader_does) {
  std::minstd_rand gen(testing::UnitTest::GetInstance()->random_seed());
  const std::string bytes = "0123456789012345678901234567890123456789.,-+ e";
  for (int k = 0; k < 300000; ++k) {
    std::string field(gen() % 20, ' ');
    for (char &c : field)
      c = bytes[gen() % (gen() % 4 == 0 ? bytes.size() : 10)];
    for (const int radix_given : {-1, 0, 1}) {
      const reading fast = read_number(field, radix_given);
      const reading full = read_number_in_full(field, radix_given);
      for (int r = 0; r < 2; ++r)
        ASSERT_THAT(fast.as[r], NanSensitiveDoubleEq(full.as[r]))
            << "'" << field << "' radix " << radix_given << " read with " << r;
    }
  }
}

// The lines of an input written into a file, as statuses and the text of those read.
std::vector<std::pair<line_status, std::string>> lines_of(const std::string &input) {
  FILE *file = std::tmpfile();
  if (file == nullptr) {
    ADD_FAILURE() << "no temporary file";
    return {};
  }
  std::fwrite(input.data(), 1, input.size(), file);
  std::fseek(file, 0, SEEK_SET);
  line_source src;
  open_lines(&src, fileno(file));
  std::vector<std::pair<line_status, std::string>> lines;
  for (;;) {
    std::string_view line;
    const line_status status = next_line(&src, &line);
    if (status == line_wanted) {
      fill_lines(&src);
      continue;
    }
    lines.emplace_back(status, status == line_read ? std::string(line) : "");
    // A reader that never comes to the end fails rather than runs on.
    if (status == line_end || status == line_failed || lines.size() > 200000)
      break;
  }
  std::fclose(file);
  return lines;
}

TEST(onscale, lines_are_read_in_bounded_memory_however_they_end) {
  std::string utf16 = "\xff\xfe";
  for (int k = 0; k < 100000; ++k)
    utf16 += std::string("1\0,\0002\0\n\0", 8);
  const auto lines = lines_of(utf16);
  ASSERT_EQ(lines.size(), 100001u) << "UTF-16 longer than one read";
  EXPECT_EQ(lines[99999], std::make_pair(line_read, std::string("1,2")));
  EXPECT_THAT(lines_of("1,2\n" + std::string(longest_line + 1, 'x')),
              testing::ElementsAre(std::make_pair(line_read, std::string("1,2")),
                                   std::make_pair(line_too_long, std::string()),
                                   std::make_pair(line_end, std::string())))
      << "a last line too long, without its line break";
}

// Pairs sent into a pipe that takes only part of them at a time come out once each, in order.
TEST(onscale, pairs_go_out_once_each_however_little_the_pipe_takes) {
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  fcntl(fds[1], F_SETPIPE_SZ, 4096);
  pair_text out;
  open_pair_text(&out, fds[1]);
  std::string want;
  std::string got;
  for (int k = 0; k < 20000; ++k) {
    want += std::to_string(k) + " " + std::to_string(4095 - k % 4096) + "\n";
    if (put_pair(&out, k, 4095 - k % 4096) || k == 19999)
      while (out.used > 0) {
        ASSERT_TRUE(send_pairs(&out));
        char buf[1000];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        got.append(buf, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
      }
  }
  char buf[4096];
  for (ssize_t n = 0; (n = read(fds[0], buf, sizeof buf)) > 0;)
    got.append(buf, static_cast<std::size_t>(n));
  close(fds[0]);
  close(fds[1]);
  EXPECT_EQ(got, want);
}

// Text from outside is shown as it is where it prints in a UTF-8 locale, and escaped where it is a
// control or format character, a noncharacter, or bytes of no character.
TEST(onscale, printable_characters_show_as_they_are_and_others_are_escaped) {
  setenv("LC_ALL", "C.UTF-8", 1);
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"Temp (\u00b0C)", "Temp (\u00b0C)"},
      {"\u00a0\u00a3\u00bf", "\u00a0\u00a3\u00bf"},
      {"\u07ff\u0800\U00010000\u20ac", "\u07ff\u0800\U00010000\u20ac"},
      {"\u0085", "\\xc2\\x85"},
      {"\ufdd0\ufdef\ufdf0", "\\xef\\xb7\\x90\\xef\\xb7\\xaf\ufdf0"},
      {"\u202e\ufffe", "\\xe2\\x80\\xae\\xef\\xbf\\xbe"},
      {"\xc0\x80\x1b[2J", "\\xc0\\x80\\x1b[2J"},
  };
  for (const auto &c : cases) {
    char *text = nullptr;
    std::size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    write_escaped(out, c.text.data(), c.text.size());
    std::fclose(out);
    EXPECT_EQ(std::string(text, size), c.shown);
    std::free(text);
  }
}

} // namespace

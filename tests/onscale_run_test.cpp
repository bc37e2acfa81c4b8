// onscale run on the exports and feeds people have: each row reads an input, and comes to the same
// pairs as the values it holds written plainly, or to the placing it names, with what it says.
#include "terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct onscale_case {
  const char *name;
  std::string input;                // the file "in"
  std::vector<std::string> args;    // "in" among them, or the input goes to standard input
  std::string values{};             // the pairs it comes to, written plainly, a pair a line
  std::vector<std::string> plain{}; // the options that read those values, where some are needed
  std::string samples{};            // or the pairs written, where the placing is the point
  std::string said{};               // standard error, after "onscale: in, columns X and Y: "
  int status = 0;
};

const onscale_case onscale_cases[] = {
    {.name = "a_German_export_has_decimal_commas_and_dots_between_the_thousands",
     .input = "x;y\n1.550,00;1\n2.000,50;2\n1.775,25;3\n",
     .args = {"in"},
     .values = "1550 1\n2000.5 2\n1775.25 3\n"},
    {.name = "no_break_spaces_and_narrow_ones_separate_the_thousands",
     .input = "x;y\n1\u00a0000,2;1\n2\u202f000,5;2\n1 500,0;3\n",
     .args = {"in"},
     .values = "1000.2 1\n2000.5 2\n1500 3\n"},
    {.name = "a_quoted_field_holds_the_commas_of_its_thousands",
     .input = "x,y\n\"1,234.5\",1\n\"2,000\",2\n",
     .args = {"in"},
     .values = "1234.5 1\n2000 2\n"},
    {.name = "the_first_number_that_reads_one_way_settles_the_radix",
     .input = "x;y\n\"1,5\";1\n\"2.5\";2\n",
     .args = {"in"},
     .values = "1.5 1\n",
     .said = "1 line left out: line 3, column 1: not a number: 2.5"},
    {.name = "d_gives_the_radix",
     .input = "x;y\n1.500;1\n2.000;2\n3.000;3\n",
     .args = {"-d", ".", "in"},
     .values = "1.5 1\n2 2\n3 3\n"},
    {.name = "two_dots_in_a_row_make_no_number",
     .input = "x;y\n1..000,5;1\n2,5;2\n3,5;3\n",
     .args = {"in"},
     .values = "2.5 2\n3.5 3\n",
     .said = "1 line left out: line 2, column 1: not a number: 1..000,5"},
    {.name = "a_last_line_without_its_line_break_is_read",
     .input = "0.5 1\n1.5 2",
     .args = {"in"},
     .values = "0.5 1\n1.5 2\n"},
    {.name = "a_name_in_the_header_may_hold_a_quote",
     .input = "\"a\"\"b\",c\n1,2\n3,4\n",
     .args = {"in", "a\"b", "c"},
     .values = "1 2\n3 4\n"},
    {.name = "a_byte_order_mark_starts_the_first_line",
     .input = "\xef\xbb\xbf"
              "1,2\n3,4\n",
     .args = {"in"},
     .values = "1 2\n3 4\n"},
    {.name = "a_comment_is_no_header",
     .input = "# Sensor A, firmware 1.2\n1 2\n3 4\n",
     .args = {"in"},
     .values = "1 2\n3 4\n"},
    {.name = "column_0_is_the_line_number_among_the_data_lines",
     .input = "t,ele\n10,1\n20,5\n30,3\n",
     .args = {"in", "0", "ele"},
     .values = "1 1\n2 5\n3 3\n"},
    {.name = "lines_left_out_are_counted_and_the_first_is_shown",
     .input = "1 2\nx 3\n4 5\n5\n",
     .args = {"in"},
     .values = "1 2\n4 5\n",
     .said = "2 lines left out; the first, line 2, column 1: not a number: x"},
    {.name = "a_line_without_the_second_column_is_left_out",
     .input = "1 2\n3 \n4 5\n",
     .args = {"in"},
     .values = "1 2\n4 5\n",
     .said = "1 line left out: line 2, column 2: no such field"},
    {.name = "a_number_too_large_for_a_double_is_left_out",
     .input = "1e999 1\n1 2\n2 3\n",
     .args = {"in"},
     .values = "1 2\n2 3\n",
     .said = "1 line left out: line 1, column 1: not finite: 1e999"},
    {.name = "values_as_far_apart_as_doubles_allow_reach_both_edges",
     .input = "1e308 1\n-1e308 2\n0 3\n",
     .args = {"in"},
     .samples = "4079 4079\n0 2040\n2039 0\n"},
    {.name = "both_ranges_place_the_values_and_leave_out_what_falls_outside",
     .input = "-2 0\n0 50\n2 100\n3 50\n",
     .args = {"-x", "-2:2", "-y", "0:100", "in"},
     .samples = "0 4079\n2039 2040\n4079 0\n",
     .said = "1 line left out: line 4, column 1: outside the range given: 3"},
    {.name = "one_range_places_its_axis_and_the_other_takes_its_values",
     .input = "-2 0\n2 100\n3 50\n",
     .args = {"-x", "-2:2", "in"},
     .samples = "0 4079\n4079 0\n",
     .said = "1 line left out: line 3, column 1: outside the range given: 3"},
    {.name = "e_keeps_a_unit_as_long_across_as_down",
     .input = "0 0\n2 1\n",
     .args = {"-e", "in"},
     .samples = "0 3740\n4079 340\n"},
    {.name = "e_centres_the_axis_the_data_does_not_fill",
     .input = "0 0\n1 2\n",
     .args = {"-e", "in"},
     .samples = "1427 4079\n2651 0\n"},
    {.name = "m_at_the_equator_is_e",
     .input = "0 0\n2 1\n",
     .args = {"-m", "in"},
     .samples = "0 3740\n4079 340\n"},
    {.name = "m_leaves_out_a_latitude_past_the_pole",
     .input = "10 91\n20 50\n30 60\n",
     .args = {"-m", "in"},
     .samples = "1337 4079\n2741 0\n",
     .said = "1 line left out: line 1, column 2: not a latitude: 91"},
    {.name = "no_line_with_numbers_is_a_failure",
     .input = "a b\nc d\n",
     .args = {"in"},
     .said = "no line has numbers in both; the first, line 2, column 1: not a number: c",
     .status = 1},
    {.name = "a_header_alone_is_a_failure",
     .input = "x,y\n",
     .args = {"in"},
     .said = "no line has numbers in both",
     .status = 1},
    {.name = "a_column_past_the_last_field_is_said",
     .input = "name,lat,lon\nx,1,2\n",
     .args = {"in", "3", "5"},
     .said = "column 5 is past the last field; lines have 3 at most",
     .status = 1},
    {.name = "a_column_named_that_is_not_there_is_said_with_the_names_there",
     .input = "# a header\nlat,lon\n1,2\n",
     .args = {"in", "lon", "height"},
     .said = "no column is named height; line 2 names lat, lon",
     .status = 1},
    {.name = "a_name_given_twice_is_said",
     .input = "x;y;x\n1;2;3\n",
     .args = {"in", "x", "y"},
     .said = "line 1 names two fields x, 1 and 3",
     .status = 1},
    {.name = "a_file_that_is_not_there_is_said",
     .input = "1 2\n",
     .args = {"missing.csv"},
     .said = "onscale: missing.csv, columns 1 and 2: no such file",
     .status = 1},
    {.name = "two_operands_are_the_columns_of_standard_input",
     .input = "1 2\n3 4\n",
     .args = {"2", "1"},
     .values = "2 1\n4 3\n"},
    {.name = "a_range_has_its_smaller_value_first",
     .input = "1 2\n",
     .args = {"-x", "2:1", "-y", "0:1", "in"},
     .said = "onscale: -x takes the smaller value first: 2:1",
     .status = 2},
    {.name = "three_operands_at_most",
     .input = "1 2\n",
     .args = {"in", "1", "2", "3"},
     .said = "onscale: too many operands: 3",
     .status = 2},
    {.name = "an_option_without_its_value",
     .input = "1 2\n",
     .args = {"in", "-x"},
     .said = "onscale: this option takes a value: -x",
     .status = 2},
    {.name = "an_option_not_known",
     .input = "1 2\n",
     .args = {"-q", "in"},
     .said = "onscale: no such option: -q",
     .status = 2},
    {.name = "d_takes_a_dot_or_a_comma",
     .input = "1 2\n",
     .args = {"-d", "x", "in"},
     .said = "onscale: -d takes . or ,: x",
     .status = 2},
    {.name = "s_takes_a_separator_it_knows",
     .input = "1 2\n",
     .args = {"-s", "tabs", "in"},
     .said = "onscale: -s takes , ; tab blank or one byte: tabs",
     .status = 2},
    {.name = "m_takes_latitudes_between_the_poles",
     .input = "0 10\n5 10\n",
     .args = {"-m", "-x", "0:10", "-y", "0:200", "in"},
     .said = "onscale: -m takes latitudes from -90 to 90: 0:200",
     .status = 2},
    {.name = "m_takes_latitudes_above_the_south_pole",
     .input = "0 10\n5 10\n",
     .args = {"-m", "-x", "0:10", "-y", "-100:10", "in"},
     .said = "onscale: -m takes latitudes from -90 to 90: -100:10",
     .status = 2},
    {.name = "ranges_with_a_colon_or_two_dots_alike",
     .input = "13.405;52.520\n13.406;52.521\n13.4071;52.5215\n13.408;52.522\n",
     .args = {"-x", "13.4..13.41", "-y", "52.51:52.53", "in"},
     .values = "13.405 52.52\n13.406 52.521\n13.4071 52.5215\n13.408 52.522\n",
     .plain = {"-x", "13.4:13.41", "-y", "52.51:52.53"}},
    {.name = "a_number_that_reads_two_ways_takes_the_reading_inside_the_range",
     .input = "1,234\t5\n2,5\tn/a\n",
     .args = {"-x", "0:10", "-y", "0:10", "in"},
     .values = "1.234 5\n",
     .plain = {"-x", "0:10", "-y", "0:10"},
     .said = "1 line left out: line 2, column 2: not a number: n/a"},
    {.name = "a_line_that_waits_for_the_radix_comes_out_once_a_later_line_tells_it",
     .input = "2.500\t5\n2,5\t3\n",
     .args = {"-x", "0:10", "-y", "0:10", "in"},
     .values = "2.5 5\n2.5 3\n",
     .plain = {"-x", "0:10", "-y", "0:10"}},
    {.name = "a_first_line_with_a_value_that_is_no_number_is_no_header",
     .input = "1 n/a\n2 5\n3 6\n",
     .args = {"in"},
     .values = "2 5\n3 6\n",
     .said = "1 line left out: line 1, column 2: not a number: n/a"},
    {.name = "a_comma_between_digits_is_the_radix_where_blanks_separate_the_fields",
     .input = "0,25 100\n0,5 200\n0,75 300\n1,25 400\n",
     .args = {"in"},
     .values = "0.25 100\n0.5 200\n0.75 300\n1.25 400\n"},
    {.name = "s_gives_the_separator_even_a_comma_between_digits",
     .input = "0,25 100\n0,5 200\n",
     .args = {"-s", ",", "in"},
     .values = "0 25100\n0 5200\n"},
    {.name = "s_gives_any_one_byte",
     .input = "1:2\n3:4\n",
     .args = {"-s", ":", "in"},
     .values = "1 2\n3 4\n"},
    {.name = "with_no_number_telling_the_radix_the_default_is_taken_and_said",
     .input = "2.500 1\n3.500 2\n",
     .args = {"in"},
     .values = "2.5 1\n3.5 2\n",
     .said = "no number shows the decimal mark, and a dot is taken: line 1, column 1: 2.500 is "
             "read as 2.5, not 2500 (-d , takes a comma)"},
    {.name = "a_first_group_of_three_digits_before_a_comma_of_the_thousands",
     .input = "123,456.5;1\n2;2\n",
     .args = {"in"},
     .values = "123456.5 1\n2 2\n"},
    {.name = "iso_times_are_read_as_the_instants_they_are",
     .input = "t,temp_c\n2026-12-09T00:00:00Z,5\n2026-12-09T01:00:00Z,6\n"
              "2026-12-09T05:00:00Z,7\n2026-12-09T06:00:00Z,8\n",
     .args = {"in", "t", "temp_c"},
     .values = "1796774400 5\n1796778000 6\n1796792400 7\n1796796000 8\n"},
    {.name = "a_range_of_times_is_written_as_its_column_writes_them",
     .input = "08:00 0\n12:00 50\n19:00 100\n",
     .args = {"-x", "08:00..18:00", "-y", "0..100", "in"},
     .values = "28800 0\n43200 50\n",
     .plain = {"-x", "28800:64800", "-y", "0:100"},
     .said = "1 line left out: line 3, column 1: outside the range given: 19:00"},
    {.name = "times_of_day_may_be_the_y_column",
     .input = "ele,t\n1,08:00\n5,10:00\n3,09:00\n",
     .args = {"in", "t", "ele"},
     .values = "28800 1\n36000 5\n32400 3\n"},
    {.name = "a_range_of_times_of_day_that_passes_midnight_ends_the_next_day",
     .input = "23:00 0\n01:00 1\n",
     .args = {"-x", "22:00..02:00", "-y", "0:1", "in"},
     .values = "82800 0\n90000 1\n",
     .plain = {"-x", "79200:93600", "-y", "0:1"}},
    {.name = "a_day_over_12_settles_the_order_of_slashed_dates_and_is_said",
     .input = "01/02/2026 1\n02/02/2026 2\n13/02/2026 3\n",
     .args = {"in"},
     .values = "1769904000 1\n1769990400 2\n1770940800 3\n",
     .said = "the dates of column 1 are read day first, as line 3 tells: 13/02/2026"},
    {.name = "without_a_day_over_12_slashed_dates_are_read_month_first_and_it_is_said",
     .input = "01/02/2026 1\n02/02/2026 2\n",
     .args = {"in"},
     .values = "1767312000 1\n1769990400 2\n",
     .said = "no date of column 1 has a day over 12, and the month is taken first (-t %d/%m/%Y "
             "takes the day)"},
    {.name = "m_refuses_a_column_of_dates",
     .input = "2026-12-09,1\n",
     .args = {"-m", "in"},
     .said = "-m takes numbers, and column 1 holds dates or times",
     .status = 1},
    {.name = "a_range_written_otherwise_than_its_column_is_refused",
     .input = "2026-12-09T08:00 1\n",
     .args = {"-x", "08:00..18:00", "-y", "0:1", "in"},
     .said = "the range of -x is not written as column 1 writes its values",
     .status = 1},
};

void PrintTo(const onscale_case &c, std::ostream *os) {
  *os << c.name;
}

// The first line of what onscale said, after the file and the columns where it names them.
std::string first_said(const std::string &err) {
  const std::string line = err.substr(0, err.find('\n'));
  const std::string head = "onscale: in, columns ";
  const std::size_t names = line.rfind(head, 0) == 0 ? line.find(": ", head.size()) : line.npos;
  return names == line.npos ? line : line.substr(names + 2);
}

std::vector<std::string> onscale(const std::vector<std::string> &args) {
  std::vector<std::string> argv{ONSCALE_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

class onscale_test : public testing::TestWithParam<onscale_case> {};

TEST_P(onscale_test, comes_to_the_pairs_of_its_values_and_says_what_it_left_out) {
  const onscale_case &c = GetParam();
  const std::string dir = temp_dir() + "/" + c.name;
  std::filesystem::create_directories(dir);
  temp_file(std::string(c.name) + "/in", c.input);
  const run_result r = run_captured(onscale(c.args), 24, 80, dir, "xterm-256color", dir + "/in");
  EXPECT_EQ(shell_status(r.status), c.status);
  EXPECT_EQ(first_said(r.err), c.said);
  std::string want = c.samples;
  if (!c.values.empty()) {
    temp_file(std::string(c.name) + "/plain", c.values);
    std::vector<std::string> plain = c.plain;
    plain.push_back("plain");
    const run_result values = run_captured(onscale(plain), 24, 80, dir);
    ASSERT_EQ(values.status, 0) << values.err;
    want = values.out;
  }
  EXPECT_EQ(r.out, want);
}

INSTANTIATE_TEST_SUITE_P(cases, onscale_test, testing::ValuesIn(onscale_cases),
                         [](const auto &param) { return std::string(param.param.name); });

} // namespace

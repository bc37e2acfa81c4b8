#include "text_picture.h"

#include "labels.h"
#include "scale.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::size_t read_at_a_time = 4096;

// The cells inside the frame, marked where a kept pair falls, a row a string.
bool mark_cells(const frame &inside, screen_size cells, kept_pairs *kept, const unsure_readings &u,
                const line_format &format, std::vector<std::string> *rows) {
  rows->assign(static_cast<std::size_t>(cells.rows),
               std::string(static_cast<std::size_t>(cells.cols), ' '));
  const int col_scale = std::max(1, scale_for(cells.cols));
  const int row_scale = std::max(1, scale_for(cells.rows));
  std::vector<double> pairs(2 * read_at_a_time);
  long n = 0;
  for (long first = 0; (n = read_kept(kept, u, format, first, pairs.data(), read_at_a_time)) > 0;
       first += n)
    for (long k = 0; k < n; ++k) {
      const int col = place(inside, 0, pairs[static_cast<std::size_t>(2 * k)]) / col_scale;
      const int row = place(inside, 1, pairs[static_cast<std::size_t>(2 * k + 1)]) / row_scale;
      if (row < cells.rows && col < cells.cols)
        (*rows)[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = '*';
    }
  return n == 0;
}

// The value at one end of the axis, as its column writes it.
std::string end_label(const frame &inside, screen_size cells, int axis, bool last,
                      const line_format &format, const options &opt) {
  return value_text(value_at_edge(inside, axis, last), cell_span(inside, axis, cells),
                    format.kind[axis], opt.time_format);
}

std::string padded(const std::string &text, std::size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + text;
}

} // namespace

bool write_text_picture(FILE *out, const picture &pic, kept_pairs *kept, const unsure_readings &u,
                        const line_format &format, const options &opt, screen_size size) {
  // The labels of y take the left, and those of x the last line.
  screen_size cells{std::max(1, size.rows - 3), 1};
  const frame first_try = frame_between(pic.placed.lo, pic.placed.hi, cells, opt.equal, opt.map);
  const std::string top = end_label(first_try, cells, 1, true, format, opt);
  const std::string bottom = end_label(first_try, cells, 1, false, format, opt);
  const std::size_t width = std::max(top.size(), bottom.size());
  cells.cols = std::max(1, size.cols - static_cast<int>(width) - 3);
  const frame inside = frame_between(pic.placed.lo, pic.placed.hi, cells, opt.equal, opt.map);
  std::vector<std::string> rows;
  if (!mark_cells(inside, cells, kept, u, format, &rows))
    return false;
  const std::string border = " +" + std::string(static_cast<std::size_t>(cells.cols), '-') + "+\n";
  std::fputs((padded(end_label(inside, cells, 1, true, format, opt), width) + border).c_str(), out);
  for (const std::string &row : rows)
    std::fprintf(out, "%s |%s|\n", std::string(width, ' ').c_str(), row.c_str());
  std::fputs((padded(end_label(inside, cells, 1, false, format, opt), width) + border).c_str(),
             out);
  const std::string left = end_label(inside, cells, 0, false, format, opt);
  const std::string right = end_label(inside, cells, 0, true, format, opt);
  const std::size_t span = static_cast<std::size_t>(cells.cols) + 2;
  std::fprintf(out, "%s%s%s\n", std::string(width + 1, ' ').c_str(), left.c_str(),
               padded(right, std::max(span, left.size() + 1 + right.size()) - left.size()).c_str());
  return true;
}

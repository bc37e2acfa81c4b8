#include "outlet.h"

namespace {

// Pairs read back from the temporary file at a time.
constexpr std::size_t replayed_at_a_time = 512;

// Sends the pair out, placed; on a picture, only where its cell holds no mark yet.
void send_placed(pairs_out *out, const double v[2]) {
  const int x = place(out->pic.placed, 0, v[0]);
  const int y = place(out->pic.placed, 1, v[1]);
  if (!out->plan.draws || mark_new_cell(&out->pic, x, y))
    put_pair(output(out), x, y);
}

} // namespace

pairs_plan plan_for(const options &opt, bool output_is_terminal, bool input_is_file,
                    bool interrupt_taken) {
  pairs_plan plan{};
  plan.draws = opt.plot && output_is_terminal;
  plan.as_text = opt.plot && !output_is_terminal;
  plan.grows = plan.draws && !streaming(opt) && !input_is_file;
  plan.at_once = !plan.as_text && (streaming(opt) || plan.grows);
  plan.keeps = opt.plot || !plan.at_once;
  plan.holds = plan.draws && interrupt_taken;
  return plan;
}

pair_text *output(pairs_out *out) {
  return out->plan.draws ? &out->draw.out : out->text.get();
}

bool output_full(pairs_out *out) {
  const pair_text *text = output(out);
  return text->used > sizeof text->buf - 24;
}

void route_pair(pairs_out *out, const line_format &format, const options &opt, const double v[2]) {
  if (out->plan.keeps && !keep_pair(out->kept.get(), v)) {
    out->fault = out_kept_failed;
    return;
  }
  if (!out->plan.at_once)
    return;
  if (!out->framed) {
    double lo[2] = {v[0], v[1]};
    double hi[2] = {v[0], v[1]};
    range_or(format, opt, lo, hi);
    frame_picture(&out->pic, out->size, lo, hi, opt, out->plan.grows);
    out->framed = true;
  }
  if (out->plan.draws && (grow_to_hold(&out->pic, v, opt) || out->draw.pid == 0))
    out->redraw = true;
  if (!out->redraw && out->replay < 0)
    send_placed(out, v);
}

void frame_kept(pairs_out *out, const options &opt, const double lo[2], const double hi[2]) {
  if (out->plan.at_once)
    return;
  frame_picture(&out->pic, out->size, lo, hi, opt, false);
  out->framed = true;
  if (out->plan.draws)
    out->redraw = true;
  else if (!out->plan.as_text)
    out->replay = 0;
}

bool replay_kept(pairs_out *out, const unsure_readings &u, const line_format &format) {
  double pairs[2 * replayed_at_a_time];
  while (out->replay >= 0 && !output_full(out)) {
    const long n = read_kept(out->kept.get(), u, format, out->replay, pairs, replayed_at_a_time);
    if (n < 0)
      out->fault = out_kept_failed;
    if (n <= 0) {
      out->replay = -1;
      break;
    }
    long k = 0;
    for (; k < n && !output_full(out); ++k)
      send_placed(out, pairs + 2 * k);
    out->replay += k;
  }
  return out->replay < 0;
}

bool redraw(pairs_out *out) {
  drawing *d = &out->draw;
  if (d->pid > 0 && !d->ended) {
    end_drawing_input(d);
    return false;
  }
  if (d->pid > 0 && drawing_failed(*d)) {
    out->fault = out_drawing_ended;
    return false;
  }
  clear_cells(&out->pic);
  out->redraw = false;
  if (!start_drawing(d, out->pic.size)) {
    out->fault = out_start_failed;
    return false;
  }
  out->replay = 0;
  return true;
}

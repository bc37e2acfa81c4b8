#include "outlet.h"

namespace {

// Pairs read back from the temporary file at a time.
constexpr std::size_t replayed_at_a_time = 512;

// Sends the pair out, placed; on a picture, only where its cell holds no mark yet.
void send_placed(run *r, const double v[2]) {
  const int x = place(r->pic.placed, 0, v[0]);
  const int y = place(r->pic.placed, 1, v[1]);
  if (!r->plan.draws || mark_new_cell(&r->pic, x, y))
    put_pair(output(r), x, y);
}

} // namespace

pair_text *output(run *r) {
  return r->plan.draws ? &r->draw.out : r->text.get();
}

bool output_full(run *r) {
  const pair_text *out = output(r);
  return out->used > sizeof out->buf - 24;
}

void route_pair(run *r, const double v[2]) {
  if (r->plan.keeps && !keep_pair(r->kept.get(), v)) {
    r->stop = run_kept_error;
    return;
  }
  if (r->plan.keeps)
    note_kept(&r->in.unsure, r->in.format);
  if (!r->plan.at_once)
    return;
  if (r->plan.draws && (grow_to_hold(&r->pic, v, *r->opt) || r->draw.pid == 0))
    r->redraw = true;
  if (!r->redraw && r->replay < 0)
    send_placed(r, v);
}

void frame_kept(run *r) {
  if (r->plan.at_once || r->count.pairs == 0)
    return;
  double lo[2] = {r->count.lo[0], r->count.lo[1]};
  double hi[2] = {r->count.hi[0], r->count.hi[1]};
  if (!find_kept_range(r->kept.get(), r->in.unsure, r->in.format, lo, hi)) {
    r->stop = run_kept_error;
    return;
  }
  frame_picture(&r->pic, r->size, lo, hi, *r->opt, false);
  if (r->plan.draws)
    r->redraw = true;
  else if (!r->plan.as_text)
    r->replay = 0;
}

bool replay_kept(run *r) {
  double pairs[2 * replayed_at_a_time];
  while (r->replay >= 0 && !output_full(r)) {
    const long n =
        read_kept(r->kept.get(), r->in.unsure, r->in.format, r->replay, pairs, replayed_at_a_time);
    if (n < 0)
      r->stop = run_kept_error;
    if (n <= 0) {
      r->replay = -1;
      break;
    }
    long k = 0;
    for (; k < n && !output_full(r); ++k)
      send_placed(r, pairs + 2 * k);
    r->replay += k;
  }
  return r->replay < 0;
}

bool redraw(run *r) {
  if (r->draw.pid > 0 && !r->draw.ended) {
    end_drawing_input(&r->draw);
    return false;
  }
  if (r->draw.pid > 0 && drawing_failed(r->draw)) {
    r->stop = run_drawing_end;
    return false;
  }
  clear_cells(&r->pic);
  r->redraw = false;
  if (!start_drawing(&r->draw, r->pic.size)) {
    r->stop = run_start_error;
    return false;
  }
  r->replay = 0;
  return true;
}

#include "run.h"

#include "job.h"

#include <poll.h>

namespace {

// Frames the picture over every value kept, once the input has ended: from the smallest to the
// largest, found again where dates kept are read again.
void frame_all(run *r) {
  if (r->count.pairs == 0)
    return;
  double lo[2] = {r->count.lo[0], r->count.lo[1]};
  double hi[2] = {r->count.hi[0], r->count.hi[1]};
  if (rereads_kept(r->in.unsure, r->in.format) &&
      !find_kept_range(r->out.kept.get(), r->in.unsure, r->in.format, lo, hi)) {
    r->out.fault = out_kept_failed;
    return;
  }
  range_or(r->in.format, *r->opt, lo, hi);
  frame_kept(&r->out, *r->opt, lo, hi);
}

// Reads the settled lines into pairs, as far as the output has room; returns whether it stopped
// for want of input.
bool read_lines(run *r) {
  pairs_out *out = &r->out;
  data_line d{};
  outcome o{};
  while (r->stop == run_going && out->fault == out_going && !out->redraw && out->replay < 0 &&
         !output_full(out)) {
    const read_result got = next_data_line(&r->in, *r->opt, r->head, &d, &o);
    if (got == wants_input)
      return true;
    if (got == line_settled && count_line(&r->count, d, o)) {
      if (out->plan.keeps)
        note_kept(&r->in.unsure, r->in.format);
      route_pair(out, r->in.format, *r->opt, o.v);
    }
    if (got == columns_unknown || got == input_failed)
      r->stop = got == columns_unknown ? run_no_columns : run_input_error;
    if (got == input_ended) {
      r->read_all = true;
      frame_all(r);
      return false;
    }
  }
  return false;
}

// Waits, with the signals, for the input where it is wanted and for room in the output where pairs
// wait to go; then reads, sends and answers what is ready.
void wait_and_answer(run *r, bool input_wanted) {
  pair_text *text = output(&r->out);
  pollfd p[3] = {{r->signal_fd, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLOUT, 0}};
  if (input_wanted)
    p[1].fd = r->in.src.fd;
  if (text->used > 0)
    p[2].fd = text->fd;
  if (poll(p, 3, -1) <= 0)
    return;
  if (p[2].revents != 0 && !send_pairs(text) && !r->out.plan.draws)
    r->out.fault = out_write_failed;
  if (p[1].revents != 0)
    fill_lines(&r->in.src);
  if (p[0].revents != 0)
    answer_signals(r->signal_fd, &r->out, *r->opt, &r->ending);
}

// Whether the run goes on: nothing has ended it, and the input has not ended, or pairs wait to go
// out, or the picture is held.
bool goes_on(run *r) {
  const pairs_out &out = r->out;
  return r->ending == 0 && r->stop == run_going && out.fault == out_going &&
         (!r->read_all || out.replay >= 0 || out.redraw || output(&r->out)->used > 0 ||
          out.plan.holds);
}

} // namespace

void run_until_done(run *r) {
  pairs_out *out = &r->out;
  while (goes_on(r)) {
    // Whatever can be done without waiting is done first; a wait follows only where nothing can.
    if (out->redraw && !redraw(out)) {
      wait_and_answer(r, false);
      continue;
    }
    if (out->replay >= 0 && !replay_kept(out, r->in.unsure, r->in.format)) {
      wait_and_answer(r, false);
      continue;
    }
    const bool input_wanted = !r->read_all && read_lines(r);
    if (!out->redraw && out->replay < 0 && goes_on(r))
      wait_and_answer(r, input_wanted);
  }
}

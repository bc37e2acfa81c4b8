#include "run.h"

#include "job.h"
#include "outlet.h"

#include <poll.h>

namespace {

// Reads the settled lines into pairs, as far as the output has room; returns whether it stopped
// for want of input.
bool read_lines(run *r) {
  data_line d{};
  outcome o{};
  while (r->stop == run_done && !r->redraw && r->replay < 0 && !output_full(r)) {
    const read_result got = next_data_line(&r->in, *r->opt, r->head, &d, &o);
    if (got == wants_input)
      return true;
    if (got == line_settled && count_line(&r->count, d, o))
      route_pair(r, o.v);
    if (got == columns_unknown || got == input_failed)
      r->stop = got == columns_unknown ? run_no_columns : run_input_error;
    if (got == input_ended) {
      r->read_all = true;
      frame_kept(r);
    }
    if (r->read_all)
      return false;
  }
  return false;
}

// Waits, with the signals, for the input where it is wanted and for room in the output where pairs
// wait to go; then reads, sends and answers what is ready.
void wait_and_answer(run *r, bool input_wanted) {
  pair_text *out = output(r);
  pollfd p[3] = {{r->signal_fd, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLOUT, 0}};
  if (input_wanted)
    p[1].fd = r->in.src.fd;
  if (out->used > 0)
    p[2].fd = out->fd;
  if (poll(p, 3, -1) <= 0)
    return;
  if (p[2].revents != 0 && !send_pairs(out) && !r->plan.draws)
    r->stop = run_write_error;
  if (p[1].revents != 0)
    fill_lines(&r->in.src);
  if (p[0].revents != 0)
    answer_signals(r);
}

// Whether the run goes on: nothing has ended it, and the input has not ended, or pairs wait to go
// out, or the picture is held.
bool goes_on(run *r) {
  return r->ending == 0 && r->stop == run_done &&
         (!r->read_all || r->replay >= 0 || r->redraw || output(r)->used > 0 || r->plan.holds);
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

void run_until_done(run *r) {
  while (goes_on(r)) {
    // Whatever can be done without waiting is done first; a wait follows only where nothing can.
    if (r->redraw && !redraw(r)) {
      wait_and_answer(r, false);
      continue;
    }
    if (r->replay >= 0 && !replay_kept(r)) {
      wait_and_answer(r, false);
      continue;
    }
    const bool input_wanted = !r->read_all && read_lines(r);
    if (!r->redraw && r->replay < 0 && goes_on(r))
      wait_and_answer(r, input_wanted);
  }
}

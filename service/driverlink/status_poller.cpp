// The poll grid, its phase against the driver's own poll, and the status reads.
#include "service/driverlink/status_poller.h"

#include <utility>
#include <vector>

#include "common/deadline.h"

namespace gw {
namespace {

bool sawBrokenPipe(const StatusSnapshot& snapshot) {
  for (const auto& entry : snapshot.entries) {
    if (entry.code == RC_PIPE_BROKEN) return true;
  }
  return false;
}

}  // namespace

struct StatusPoller::Round {
  StatusSnapshot snapshot;
  int left = 0;  // replies still to come
  int32_t phase[2] = {-1, -1};  // P0 and P1 when the driver answered them
};

StatusPoller::StatusPoller(Clock& clock, DeviceProxy& device, DriverLink* link, bool follow_phase)
    : clock_(clock), device_(device), link_(link), follow_phase_(follow_phase || link != nullptr) {}

StatusPoller::~StatusPoller() = default;

bool StatusPoller::poll(uint32_t& timeout_ms, int64_t polling_rate_ms) {
  const int64_t rate = polling_rate_ms > 0 ? polling_rate_ms : kDefaultPollingRateMs;
  if (link_ && link_->inFlight() > 0) {
    // Replies the main loop's wait did not hand over yet, and a driver that went quiet.
    link_->onReadable();
    link_->checkTimeouts(timeout_ms);
  }
  bool completed = round_ && round_->left == 0 && finishRound(rate);

  // The grid runs on the monotonic clock: setting the wall clock back must not stop the polls.
  const int64_t now = clock_.monotonicMs();
  if (!started_ || now < last_poll_ms_) {
    started_ = true;
    last_poll_ms_ = now - rate;
  }
  const bool due = now >= last_poll_ms_ + rate;
  if (due) last_poll_ms_ += (now - last_poll_ms_) / rate * rate;
  if (due && !round_) {
    if (link_ && !link_->driverRunning() && sawBrokenPipe(current_)) {
      // Still no driver if this fails; the reads show it and the next poll tries again.
      (void)link_->restartDriver();
    }
    startRound();
    // A channel that answers at once has completed the poll already.
    if (round_->left == 0 && finishRound(rate)) {
      if (completed) return true;  // the caller sees the latest; the one before is skipped
      completed = true;
    }
  }
  lowerTimeout(timeout_ms, last_poll_ms_ + rate - clock_.monotonicMs());
  if (link_) link_->checkTimeouts(timeout_ms);
  return completed;
}

void StatusPoller::startRound() {
  auto round = std::make_shared<Round>();
  round_ = round;
  std::vector<DriverChannel::Request> requests;
  for (int index : kPollOrder) {
    requests.push_back({DeviceProxy::requestLine('S', index, ""),
                        [round, index](ResultCode rc, const std::string& reply) {
                          int32_t value = 0;
                          StatusSnapshot::Entry& entry = round->snapshot[index];
                          entry.code = DeviceProxy::parseNumberReply('S', index, rc, reply, &value);
                          if (entry.code == RC_OK) {
                            entry.value = index >= STATUS_POWERFAIL ? (value != 0 ? 1 : 0) : value;
                          }
                          --round->left;
                        }});
  }
  if (follow_phase_) {
    for (int n = 0; n < 2; ++n) {
      requests.push_back({DeviceProxy::requestLine('P', n, ""),
                          [round, n](ResultCode rc, const std::string& reply) {
                            int32_t value = 0;
                            if (DeviceProxy::parseNumberReply('P', n, rc, reply, &value) == RC_OK &&
                                value >= 0) {
                              round->phase[n] = value;
                            }
                            --round->left;
                          }});
    }
  }
  round->left = static_cast<int>(requests.size());
  device_.channel().submit(std::move(requests));
  // The first poll is waited for: until the service has seen the UPS once, its start and the
  // first events are not decided, and a stop right after the start must find them decided.
  if (!first_done_) {
    first_done_ = true;
    device_.channel().awaitAll();
  }
}

bool StatusPoller::finishRound(int64_t rate) {
  std::shared_ptr<Round> round = std::move(round_);
  round_.reset();
  previous_ = current_;
  current_ = round->snapshot;
  if (round->phase[0] >= 0 && round->phase[1] >= 0) {
    // The driver's next poll ends about P0 + P1 from now; the grid is moved onto that point
    // plus the margin, keeping its period, so the next poll is the first such point to come.
    const int64_t now = clock_.monotonicMs();
    const int64_t anchor = now + round->phase[0] + round->phase[1] + kPhaseMarginMs;
    int64_t next = anchor - (anchor - now) / rate * rate;
    if (next <= now) next += rate;
    last_poll_ms_ = next - rate;
  }
  return true;
}

}  // namespace gw

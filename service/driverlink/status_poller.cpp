// The poll grid and the status reads.
#include "service/driverlink/status_poller.h"

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

StatusPoller::StatusPoller(Clock& clock, DeviceProxy& device, DriverLink* link)
    : clock_(clock), device_(device), link_(link) {}

bool StatusPoller::poll(uint32_t& timeout_ms, int64_t polling_rate_ms) {
  const int64_t rate = polling_rate_ms > 0 ? polling_rate_ms : kDefaultPollingRateMs;
  // The grid runs on the monotonic clock: setting the wall clock back must not stop the polls.
  const int64_t now = clock_.monotonicMs();
  if (!started_ || now < last_poll_ms_) {
    started_ = true;
    last_poll_ms_ = now - rate;
  }
  const bool due = now >= last_poll_ms_ + rate;
  if (due) last_poll_ms_ += (now - last_poll_ms_) / rate * rate;
  lowerTimeout(timeout_ms, last_poll_ms_ + rate - now);
  if (!due) return false;

  if (link_ && !link_->driverRunning() && sawBrokenPipe(current_)) {
    // Still no driver if this fails; the reads below show it and the next poll tries again.
    (void)link_->restartDriver();
  }
  previous_ = current_;
  readAll();
  return true;
}

void StatusPoller::readAll() {
  current_.clear();
  for (int index : kPollOrder) {
    int32_t value = 0;
    ResultCode rc = device_.getStatus(index, &value);
    StatusSnapshot::Entry& entry = current_[index];
    entry.code = rc;
    if (rc != RC_OK) continue;
    entry.value = index >= STATUS_POWERFAIL ? (value != 0 ? 1 : 0) : value;
  }
}

}  // namespace gw

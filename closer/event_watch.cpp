// Waiting on the named events and the process in slices.
#include "closer/event_watch.h"

#include <algorithm>

namespace gw {

EventWatch::EventWatch(std::unique_ptr<NamedEvent> active, std::unique_ptr<NamedEvent> destroy,
                       OtherProcess* process, Clock& clock)
    : active_(std::move(active)), destroy_(std::move(destroy)), process_(process), clock_(clock) {}

WakeReason EventWatch::look() {
  // Our own signal and the library's merge into one, as two settings of one event do.
  const bool self = self_active_.exchange(false);
  const bool library = active_ && active_->tryTake();
  if (self || library) return WakeReason::kActive;
  if (destroy_ && destroy_->tryTake()) return WakeReason::kDestroy;
  if (process_ && process_->ended()) return WakeReason::kProcessEnded;
  return WakeReason::kTimeout;
}

WakeReason EventWatch::wait(int64_t timeout_ms) {
  const int64_t deadline = clock_.monotonicMs() + std::max<int64_t>(timeout_ms, 0);
  for (;;) {
    const WakeReason r = look();
    if (r != WakeReason::kTimeout) return r;
    const int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0) return WakeReason::kTimeout;
    clock_.sleepMs(std::min(left, kSliceMs));
  }
}

}  // namespace gw

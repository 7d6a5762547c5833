// The real clock: CLOCK_REALTIME for wall time, CLOCK_MONOTONIC for intervals.
#include <time.h>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"

namespace gw {
namespace {

int64_t read(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class SystemClock final : public Clock {
 public:
  int64_t nowMs() const override { return read(CLOCK_REALTIME); }
  int64_t monotonicMs() const override { return read(CLOCK_MONOTONIC); }
  void sleepMs(int64_t ms) override {
    if (ms <= 0) return;
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
  }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;  // stateless, so sharing it is not process-wide state
  return clock;
}

}  // namespace gw

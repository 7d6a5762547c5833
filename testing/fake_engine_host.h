// An engine host that records the shutdown requests and notifications it receives, each with
// the clock's time, for policy and detection tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "service/policy/engine_host.h"

namespace gw {

class FakeEngineHost : public EngineHost {
 public:
  struct Request {
    int32_t restart_delay;
    int64_t at_ms;
  };

  explicit FakeEngineHost(const Clock& clock) : clock_(clock) {}

  void requestShutdown(int32_t restart_delay) override {
    shutdowns.push_back({restart_delay, clock_.nowMs()});
  }
  void notify(int message_id) override { notices.push_back(message_id); }

  std::vector<Request> shutdowns;
  std::vector<int> notices;

 private:
  const Clock& clock_;
};

}  // namespace gw

// The service's main loop: every pass runs the steps in their fixed order, each step lowers the
// pass's timeout to its own next deadline, and the pass ends in one wait (serving clients) of at
// most that timeout. The loop has no period of its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/deadline.h"

namespace gw {

// What one pass does, in this order. Implemented by the service core; tests use fakes.
class LoopSteps {
 public:
  LoopSteps() = default;
  LoopSteps(const LoopSteps&) = delete;
  LoopSteps& operator=(const LoopSteps&) = delete;
  virtual ~LoopSteps() = default;

  virtual void pollAndDetect(uint32_t& timeout_ms) = 0;
  virtual void recordStatus(uint32_t& timeout_ms) = 0;
  virtual void policyTick(uint32_t& timeout_ms) = 0;
  virtual bool shutdownRequested() const = 0;
  virtual void scheduleTick(uint32_t& timeout_ms) = 0;
  // The pass's only wait: returns after at most timeout_ms, or earlier when clients were served
  // or a signal arrived.
  virtual void serveClients(uint32_t timeout_ms) = 0;
};

class MainLoop {
 public:
  // `stop` is set by the stop control from another thread or a signal handler.
  MainLoop(LoopSteps& steps, const std::atomic<bool>& stop) : steps_(steps), stop_(stop) {}

  // Runs passes until the stop flag is set or a shutdown was requested. Returns true when it
  // ended for a shutdown.
  bool run() {
    while (!stop_.load()) {
      uint32_t timeout = kUnlimitedTimeout;
      steps_.pollAndDetect(timeout);
      steps_.recordStatus(timeout);
      steps_.policyTick(timeout);
      if (steps_.shutdownRequested()) return true;
      steps_.scheduleTick(timeout);
      steps_.serveClients(timeout);
    }
    return false;
  }

 private:
  LoopSteps& steps_;
  const std::atomic<bool>& stop_;
};

}  // namespace gw

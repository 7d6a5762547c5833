// A system shutdown that only counts its calls; nothing ever reaches the real system.
#pragma once

#include <functional>

#include "platform/power.h"

namespace gw {

class FakeSystemPower : public SystemPower {
 public:
  explicit FakeSystemPower(ResultCode result = RC_OK) : result_(result) {}

  // Called on every shutdownSystem(), before it returns (to note the order of steps).
  void onShutdown(std::function<void()> hook) { hook_ = std::move(hook); }

  ResultCode shutdownSystem() override {
    ++calls_;
    if (hook_) hook_();
    return result_;
  }

  int calls() const { return calls_; }

 private:
  ResultCode result_;
  std::function<void()> hook_;
  int calls_ = 0;
};

}  // namespace gw

// How long each policy action is expected to take, which decides where it runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "protocol/policy_names.h"

namespace gw {

// Busy group of each action, or -1 for an action that is never busy. Jobs of one group run one
// at a time in queue order; pager and phone share a group.
inline constexpr std::array<int, kActionCount> kActionBusyGroup = {-1, 0, -1, -1, 2, 3, 3, 4, 1};
inline constexpr size_t kBusyGroupCount = 5;

// Expected durations in ms. An action expected to take at least kWorkerThresholdMs runs in a
// worker thread; the others run on the main thread. Actions that run an outside program
// (broadcast, command) always run in a worker: their time is bounded only by a time-out, and the
// main thread must never wait for it. After each run of broadcast, email or sms the measured time
// replaces the expectation. Workers write their measurement without a lock: each value is one
// atomic word.
class ActionDurations {
 public:
  static constexpr uint32_t kWorkerThresholdMs = 1000;

  ActionDurations() {
    for (size_t i = 0; i < kActionCount; ++i) expected_[i].store(kInitialMs[i]);
  }
  ActionDurations(const ActionDurations&) = delete;
  ActionDurations& operator=(const ActionDurations&) = delete;

  uint32_t expected(ActionId action) const { return expected_[index(action)].load(); }

  bool runsInWorker(ActionId action) const {
    return kAlwaysWorker[index(action)] || expected(action) >= kWorkerThresholdMs;
  }

  // A run of the action took `ms`; kept only for the actions whose time is learnt.
  void recordMeasured(ActionId action, uint32_t ms) {
    if (kLearnt[index(action)]) expected_[index(action)].store(ms);
  }

 private:
  static constexpr size_t index(ActionId action) { return static_cast<size_t>(action); }

  // record, broadcast, sound, command, email, pager, phone, shutdown, sms.
  static constexpr std::array<uint32_t, kActionCount> kInitialMs = {0,    1000, 0,    1000, 1000,
                                                                    1000, 1000, 0,    1000};
  static constexpr std::array<bool, kActionCount> kAlwaysWorker = {
      false, true, false, true, false, false, false, false, false};
  static constexpr std::array<bool, kActionCount> kLearnt = {
      false, true, false, false, true, false, false, false, true};

  std::array<std::atomic<uint32_t>, kActionCount> expected_;
};

}  // namespace gw

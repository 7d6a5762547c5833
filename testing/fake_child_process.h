// A child process that "ends" when a fake clock reaches a set time, or never.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "platform/clock.h"
#include "platform/process.h"

namespace gw {

class FakeChildProcess : public ChildProcess {
 public:
  static constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

  // What was done to the child; a test may own it, since the code under test frees the child.
  struct Counts {
    int waits = 0;
    int stop_requests = 0;
    int terminations = 0;
  };

  // Ends once clock.monotonicMs() >= end_at_ms. wait() never blocks: it only looks at the clock.
  // `counts` (nullable) must outlive the child.
  FakeChildProcess(const Clock& clock, int64_t end_at_ms, int exit_code = 0,
                   Counts* counts = nullptr)
      : clock_(clock), end_at_(end_at_ms), exit_code_(exit_code),
        counts_(counts ? counts : &own_counts_) {}

  int64_t id() const override { return 4242; }
  std::unique_ptr<Pipe> takeStdin() override { return nullptr; }
  std::unique_ptr<Pipe> takeStdout() override { return nullptr; }
  ResultCode wait(int, int* exit_code) override {
    ++counts_->waits;
    if (!ended()) return RC_TIMEOUT;
    *exit_code = exit_code_;
    return RC_OK;
  }
  bool running() override { return !ended(); }
  void requestStop() override { ++counts_->stop_requests; }
  void terminate() override {
    ++counts_->terminations;
    terminated_ = true;
  }

  int waits() const { return counts_->waits; }

 private:
  bool ended() const { return terminated_ || clock_.monotonicMs() >= end_at_; }

  const Clock& clock_;
  int64_t end_at_;
  int exit_code_;
  bool terminated_ = false;
  Counts own_counts_;
  Counts* counts_;
};

}  // namespace gw

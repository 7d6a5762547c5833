// A program starter that records what it was asked to start, with the time on a clock.
#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"
#include "setup/logic/program_starter.h"

namespace gw {

class FakeProgramStarter : public setup::ProgramStarter {
 public:
  struct Start {
    std::string program;
    std::vector<std::string> args;
    int64_t at_ms;
  };
  explicit FakeProgramStarter(Clock* clock = nullptr) : clock_(clock) {}

  bool start(const std::string& program, const std::vector<std::string>& args) override {
    starts.push_back({program, args, clock_ ? clock_->monotonicMs() : 0});
    return succeed;
  }

  std::vector<Start> starts;
  bool succeed = true;

 private:
  Clock* clock_;
};

}  // namespace gw

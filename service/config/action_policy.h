// The policy parameters of one action of one event: how often, after what delay and at what
// interval it runs in each phase, and its content (a sound file name, a record text).
#pragma once

#include <cstdint>
#include <string>

namespace gw {

struct HappenParams {
  int32_t max_count = 0;  // 0 off, -1 no limit, otherwise the number of runs
  uint32_t delay = 0;     // seconds after the event happened until the first run
  uint32_t interval = 0;  // seconds between runs
  std::string content;
};

struct RestoreParams {
  int32_t max_count = 0;  // 0 off, anything else runs once
  uint32_t delay = 0;     // seconds after the event was restored until the run
  std::string content;
};

struct ActionPolicy {
  HappenParams happen;
  RestoreParams restore;
};

}  // namespace gw

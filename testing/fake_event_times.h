// Event phases and times set by a test, for the client protocol's "TIME HAPPEN" and "TIME
// RESTORE" without a policy engine.
#pragma once

#include <array>
#include <cstdint>

#include "service/server/server_context.h"

namespace gw {

class FakeEventTimes : public EventTimes {
 public:
  int phase(int event) const override { return phases[static_cast<size_t>(event)]; }
  int64_t happenTime(int event) const override { return happen[static_cast<size_t>(event)]; }
  int64_t restoreTime(int event) const override { return restore[static_cast<size_t>(event)]; }

  std::array<int, 6> phases{};
  std::array<int64_t, 6> happen{};
  std::array<int64_t, 6> restore{};
};

}  // namespace gw

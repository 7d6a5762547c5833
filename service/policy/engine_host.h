// What the policy engine and the event detector need from the service object above them.
#pragma once

#include <cstdint>

namespace gw {

// Implemented by the service core. Both calls come from the main thread, inside detection or a
// policy tick, and must not block.
class EngineHost {
 public:
  EngineHost() = default;
  EngineHost(const EngineHost&) = delete;
  EngineHost& operator=(const EngineHost&) = delete;
  virtual ~EngineHost() = default;

  // The shutdown action ran: 0 shuts down without a restart, a positive value restarts the UPS
  // output after that many seconds. A request is never withdrawn.
  virtual void requestShutdown(int32_t restart_delay) = 0;
  // An event was detected; `message_id` is its event code (event × 2, + 1 for a restore).
  virtual void notify(int message_id) = 0;
};

}  // namespace gw

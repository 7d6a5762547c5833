// The stop request of a program with an event loop (SIGTERM and SIGINT on POSIX), delivered as
// a readable handle that the loop watches, so that the program can close in order instead of
// stopping inside a signal handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "common/result_code.h"

namespace gw {

class StopSignal {
 public:
  StopSignal() = default;
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;
  // Puts the default handling back.
  virtual ~StopSignal() = default;

  // Becomes readable when a stop was requested.
  virtual intptr_t readHandle() const = 0;
  // Takes the pending requests; true when there was at least one.
  virtual bool consume() = 0;
};

// Routes the stop requests to the returned object. At most one may exist at a time:
// RC_NOT_AVAILABLE for a second one. *signal is written only on RC_OK. `flag`, when given, is
// also set by each request, for a loop that checks a flag between its waits; it must outlive
// the returned object.
[[nodiscard]] ResultCode installStopSignal(std::unique_ptr<StopSignal>* signal,
                                           std::atomic<bool>* flag = nullptr);

}  // namespace gw

// The first step of the shutdown sequence: have the user's applications closed before the
// system goes down.
#pragma once

#include <cstdint>

#include "common/result_code.h"

namespace gw {

// Main thread only, after the main loop has ended.
class ApplicationCloser {
 public:
  // The longest the shutdown waits for the applications to close.
  static constexpr int64_t kWaitLimitMs = 120000;

  ApplicationCloser() = default;
  ApplicationCloser(const ApplicationCloser&) = delete;
  ApplicationCloser& operator=(const ApplicationCloser&) = delete;
  virtual ~ApplicationCloser() = default;

  // Starts the application closer and waits until it ends, at most kWaitLimitMs. RC_OK: it
  // ended; RC_TIMEOUT: it still runs and is left so; RC_NOT_AVAILABLE: there is no closer or it
  // could not be started, and nothing was waited for.
  [[nodiscard]] virtual ResultCode closeApplications() = 0;
};

}  // namespace gw

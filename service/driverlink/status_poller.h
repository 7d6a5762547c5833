// The service's UPS poll: the 14 status reads on a fixed grid, and the decision when a dead
// driver is started again.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "service/driverlink/device_proxy.h"
#include "service/driverlink/driver_link.h"
#include "service/driverlink/status_snapshot.h"

namespace gw {

inline constexpr int64_t kDefaultPollingRateMs = 3000;

// The order in which one poll reads the status values: the connection and the alarms first.
inline constexpr int kPollOrder[kStatusCount] = {
    STATUS_CONNECT,    STATUS_POWERFAIL, STATUS_BATTERYLO, STATUS_TEST,    STATUS_WAITSLEEP,
    STATUS_WAITWAKEUP, STATUS_BEEP,      STATUS_INVOLT,    STATUS_OUTVOLT, STATUS_CAPACITY,
    STATUS_LOAD,       STATUS_TEMP,      STATUS_FREQ,      STATUS_BACKUP};

class StatusPoller {
 public:
  // `link` may be null (tests over a fake channel); with a link, a poll that finds the driver
  // dead after an earlier poll already saw it gone starts it again first, so detection sees at
  // least one poll of RC_PIPE_BROKEN and restarts come at most once per polling interval. The
  // clock, device and link must outlive the poller.
  StatusPoller(Clock& clock, DeviceProxy& device, DriverLink* link = nullptr);

  // Call once per main-loop pass. The first call polls at once; later polls fall on a grid of
  // polling_rate_ms (read by the caller on every pass; 0 or less means the default) from the
  // first, and polls missed during a stall are skipped, not repeated. Lowers timeout_ms to the
  // time until the next poll. Returns true when a poll ran: previous() then holds the snapshot
  // before it and current() the new one. A poll blocks for the 14 exchanges.
  bool poll(uint32_t& timeout_ms, int64_t polling_rate_ms);

  const StatusSnapshot& current() const { return current_; }
  const StatusSnapshot& previous() const { return previous_; }

 private:
  void readAll();

  Clock& clock_;
  DeviceProxy& device_;
  DriverLink* link_;
  bool started_ = false;
  int64_t last_poll_ms_ = 0;
  StatusSnapshot current_;
  StatusSnapshot previous_;
};

}  // namespace gw

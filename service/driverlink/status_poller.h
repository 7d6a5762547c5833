// The service's UPS poll: the 14 status reads on a fixed grid, and the decision when a dead
// driver is started again.
#pragma once

#include <cstdint>
#include <memory>

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

// After a poll that learnt the driver's phase, the next one is placed this long after the
// driver's next poll of the UPS should have ended.
inline constexpr int64_t kPhaseMarginMs = 60;

class StatusPoller {
 public:
  // `link` may be null (tests over a fake channel); with a link, a poll that finds the driver
  // dead after an earlier poll already saw it gone starts it again first, so detection sees at
  // least one poll of RC_PIPE_BROKEN and restarts come at most once per polling interval. With
  // a link, or with follow_phase, each poll also asks the driver for its phase ("P0", "P1") and
  // the grid follows it. The clock, device and link must outlive the poller.
  StatusPoller(Clock& clock, DeviceProxy& device, DriverLink* link = nullptr,
               bool follow_phase = false);
  ~StatusPoller();

  // Call once per main-loop pass. The first call polls at once; later polls fall on a grid of
  // polling_rate_ms (read by the caller on every pass; 0 or less means the default), and polls
  // missed during a stall are skipped, not repeated. When the driver told its phase, the grid is
  // moved to start kPhaseMarginMs after the driver's next poll ends, so that what the UPS shows
  // is read within one period and the margin. The 14 reads go out in one write and a poll
  // completes when the last reply is in (at once over a channel that answers at once); no new
  // poll starts while one is in flight; the first poll is waited for. Lowers timeout_ms to the
  // time until the next poll and
  // to the channel's reply time-out. Returns true when a poll completed: previous() then holds
  // the snapshot before it and current() the new one.
  bool poll(uint32_t& timeout_ms, int64_t polling_rate_ms);
  bool pollInFlight() const { return round_ != nullptr; }

  const StatusSnapshot& current() const { return current_; }
  const StatusSnapshot& previous() const { return previous_; }

 private:
  struct Round;

  void startRound();
  bool finishRound(int64_t rate);

  Clock& clock_;
  DeviceProxy& device_;
  DriverLink* link_;
  bool follow_phase_;
  bool started_ = false;
  bool first_done_ = false;
  int64_t last_poll_ms_ = 0;
  // Shared with the reply handlers, so that a late reply never reaches a destroyed poller.
  std::shared_ptr<Round> round_;
  StatusSnapshot current_;
  StatusSnapshot previous_;
};

}  // namespace gw

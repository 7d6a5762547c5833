// Keeps the UPS's alarm beeper in step with "service.buzzer on", one check after every poll.
#pragma once

#include <optional>

#include "service/config/config_store.h"
#include "service/driverlink/device_proxy.h"
#include "service/driverlink/status_snapshot.h"

namespace gw {

// The alarm is switched on when the setting wants it and either the setting just turned on
// (or this is the first check) or the beeper fell silent; off the other way round. Switching
// reads the UPS's alarm setting first and writes it only when it differs; a UPS without a
// readable setting gets the buzzer toggle instead.
//
// Main thread only. The settings and the device are not owned and must outlive the keeper.
class AlarmKeeper {
 public:
  AlarmKeeper(const ConfigStore& settings, DeviceProxy& device)
      : settings_(settings), device_(device) {}
  AlarmKeeper(const AlarmKeeper&) = delete;
  AlarmKeeper& operator=(const AlarmKeeper&) = delete;

  // Call after every poll with the snapshot before it and the new one. Does nothing unless
  // STATUS_BEEP was read in both; blocks for at most two device exchanges.
  void check(const StatusSnapshot& previous, const StatusSnapshot& current);

 private:
  void switchAlarm(bool on);

  const ConfigStore& settings_;
  DeviceProxy& device_;
  // "service.buzzer on" at the previous check; none before the first.
  std::optional<bool> last_want_;
};

}  // namespace gw

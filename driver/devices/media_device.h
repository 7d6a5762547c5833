// What the three UPS kinds share: the media they talk over, the clock they wait on, the value
// table, the status values and the command/answer transaction with its retry rule.
#pragma once

#include <array>
#include <cstdint>

#include "driver/devices/device.h"
#include "driver/devices/exchange.h"
#include "driver/devices/value_table.h"
#include "driver/media/media.h"
#include "platform/clock.h"
#include "protocol/status_index.h"

namespace gw {

class MediaDevice : public Device {
 public:
  // Pause between two attempts of an exchange.
  static constexpr int64_t kRetryPauseMs = 100;

  // S0 to S13: RC_NOT_AVAILABLE until a poll has produced the value, RC_UNSUPPORTED outside.
  ResultCode getStatus(int n, int32_t* value) override;

 protected:
  // The media and the clock must outlive the device.
  MediaDevice(Media& media, Clock& clock);

  // Writes the command and reads the answer. RC_SHORT_WRITE when fewer bytes went out,
  // RC_SHORT_REPLY when a fixed-length answer came short. A command length of 0 with an answer
  // length of kWhatever only drains the input.
  [[nodiscard]] ResultCode transact(Exchange* exchange);

  // Runs `attempt` up to `attempts` times, kRetryPauseMs apart, until it answers RC_OK. After a
  // failed transaction (RC_SHORT_WRITE, RC_SHORT_REPLY) with DSR down the UPS counts as
  // disconnected: S12 becomes 0 and the operation ends at once with RC_NO_DEVICE. Otherwise the
  // last code is returned.
  template <typename Attempt>
  [[nodiscard]] ResultCode retry(int attempts, Attempt&& attempt) {
    ResultCode rc = RC_UNSUPPORTED;
    for (int i = 0; i < attempts; ++i) {
      if (i > 0) clock_.sleepMs(kRetryPauseMs);
      rc = attempt();
      if (rc == RC_OK) return rc;
      if (isTransportFailure(rc) && !connected()) return RC_NO_DEVICE;
    }
    return rc;
  }

  static bool isTransportFailure(ResultCode rc) {
    return rc == RC_SHORT_WRITE || rc == RC_SHORT_REPLY;
  }

  // Reads DSR; a line that cannot be read counts as down. A down DSR also sets S12 to 0.
  bool connected();
  bool dsrAsserted();

  // Puts the media in a data protocol's line state: the rate, RTS off, DTR on; records the port
  // type, rate and media in elements 21 to 24; then drains whatever the UPS sends to two
  // carriage returns.
  void startDataLine(int baud);
  void recordMedia();

  void setStatus(int n, int32_t value);

  Media& media_;
  Clock& clock_;
  ValueTable values_;
  std::array<int32_t, kStatusCount> status_{};
  std::array<bool, kStatusCount> status_known_{};
};

}  // namespace gw

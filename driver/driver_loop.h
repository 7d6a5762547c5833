// The driver's one loop: polls the device every pollIntervalMs and serves the service's request
// lines in between, without a request ever moving the poll schedule.
//
// A failed poll, or an accepted media change, re-creates the device from the source. The loop
// ends when the pipe to the service breaks or no device can be built. Single-threaded; the
// clock, link and source must outlive the loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "driver/device_source.h"
#include "driver/devices/device.h"
#include "driver/media/pipe_link.h"
#include "driver/request_line.h"
#include "platform/clock.h"

namespace gw {

class DriverLoop {
 public:
  static constexpr int kPollIntervalMs = 3000;
  // Longest request line; a longer one is discarded up to its line feed and answered "-1E 1".
  static constexpr size_t kRequestLineMax = 255;

  DriverLoop(Clock& clock, PipeLink& link, DeviceSource& devices, int media_type,
             int media_index)
      : clock_(clock), link_(link), devices_(devices), media_type_(media_type),
        media_index_(media_index) {}
  DriverLoop(const DriverLoop&) = delete;
  DriverLoop& operator=(const DriverLoop&) = delete;
  ~DriverLoop() = default;  // destroys the device

  // Creates the first device; false when none can be built.
  [[nodiscard]] bool start();
  // Runs until the pipe breaks or no device can be built after a failed poll. Needs start().
  void run();

  // Waits at most time_limit_ms for the rest of one request line and answers it. RC_TIMEOUT
  // when the line is not complete in time (what came so far is kept for the next call);
  // RC_PIPE_BROKEN when the link failed; RC_DEVICE_CHANGED when a media change was accepted;
  // RC_OK after any other answer, whatever code the reply carried.
  [[nodiscard]] ResultCode serveRequest(int time_limit_ms);

  int mediaType() const { return media_type_; }
  int mediaIndex() const { return media_index_; }
  Device* device() const { return device_.get(); }

 private:
  // Answers the complete line in line_; returns RC_DEVICE_CHANGED for an accepted C4.
  ResultCode handleLine(std::string* reply);
  ResultCode changeMedia(const Request& request);
  // Destroys the device, builds the next one and polls it once. False when none was built.
  bool recreateDevice();

  Clock& clock_;
  PipeLink& link_;
  DeviceSource& devices_;
  int media_type_;
  int media_index_;
  std::unique_ptr<Device> device_;
  // The request line read so far; it survives a time-out so a line arriving in pieces is
  // completed by a later wait.
  char line_[kRequestLineMax + 1] = {};
  size_t line_length_ = 0;
  bool line_overlong_ = false;
};

}  // namespace gw

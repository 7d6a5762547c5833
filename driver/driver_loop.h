// The driver's one loop: polls the device every pollIntervalMs and serves the service's request
// lines in between, without a request ever moving the poll schedule.
//
// Lines that arrive together are served one after another and their replies go out in one
// write. Besides the device requests the loop answers two of its own, so the service can phase
// its poll just after ours: "P0" gives the milliseconds until the next poll is due ("P0 <ms>"),
// "P1" how long the last poll took ("P1 <ms>"). Other P numbers answer "E 1".
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

  // Waits at most time_limit_ms for the rest of one request line, answers it and every further
  // complete line already received while the time limit lasts, then writes all the replies in
  // one write. RC_TIMEOUT when no line was complete in time (what came so far is kept for the
  // next call); RC_PIPE_BROKEN when the link failed; RC_DEVICE_CHANGED when a media change was
  // accepted (lines after it wait for the new device); RC_OK after any other answers, whatever
  // codes the replies carried.
  [[nodiscard]] ResultCode serveRequest(int time_limit_ms);

  int mediaType() const { return media_type_; }
  int mediaIndex() const { return media_index_; }
  Device* device() const { return device_.get(); }

 private:
  // Moves received bytes into line_ up to a line feed; true when a line is complete.
  bool takeLine();
  // Answers the complete line in line_; returns RC_DEVICE_CHANGED for an accepted C4.
  ResultCode handleLine(std::string* reply);
  // The loop's own "P" requests; false when the line is not one.
  bool answerPhase(const Request& request, std::string* reply) const;
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
  static constexpr size_t kReadChunk = 4096;
  // Bytes received and not yet moved into line_.
  std::string input_;
  size_t input_offset_ = 0;
  // When the last poll ended, and how long it took.
  int64_t poll_mark_ms_ = 0;
  int64_t last_poll_ms_ = 0;
  char line_[kRequestLineMax + 1] = {};
  size_t line_length_ = 0;
  bool line_overlong_ = false;
};

}  // namespace gw

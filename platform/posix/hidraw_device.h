// HidDevice over a kernel raw HID node (/dev/hidrawN).
//
// The node is opened non-blocking; reads wait in poll() for their time-out. A write waits for
// the node to take the report, which the kernel bounds by its own transfer time-out, so the
// caller's wait is a bound on the poll only.
#pragma once

#include <memory>
#include <string>

#include "platform/hid.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

class HidrawDevice final : public HidDevice {
 public:
  // RC_NOT_AVAILABLE when the node is missing or not accessible.
  [[nodiscard]] static ResultCode open(const std::string& path,
                                       std::unique_ptr<HidDevice>* device);

  ResultCode reportDescriptor(std::vector<uint8_t>* descriptor) override;
  ResultCode getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                        size_t* got) override;
  ResultCode setFeature(const uint8_t* report, size_t length) override;
  ResultCode writeOutput(const uint8_t* report, size_t length, int timeout_ms) override;
  ResultCode readInput(uint8_t* buffer, size_t capacity, int timeout_ms, size_t* got) override;
  void flushInput() override;

 private:
  explicit HidrawDevice(UniqueFd fd) : fd_(std::move(fd)) {}

  UniqueFd fd_;
};

}  // namespace gw::posix

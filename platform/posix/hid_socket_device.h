// HidDevice over a simulated HID device's Unix socket (framing: hid_socket_frame.h), the
// stand-in for a hidraw node where the simulator cannot create a kernel device.
//
// Like a hidraw node it queues at most kInputQueue input reports, dropping the oldest. A
// request waits at most kReplyTimeoutMs for its reply (an output report: the caller's
// time-out); a reply that comes later is recognised and dropped.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/hid.h"
#include "platform/posix/hid_socket_frame.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

class HidSocketDevice final : public HidDevice {
 public:
  static constexpr int kReplyTimeoutMs = 1000;
  static constexpr size_t kInputQueue = 64;

  // RC_NOT_AVAILABLE when nothing listens at `path`.
  [[nodiscard]] static ResultCode connect(const std::string& path,
                                          std::unique_ptr<HidSocketDevice>* device);

  // The device's vendor and product id.
  [[nodiscard]] ResultCode identify(uint16_t* vendor_id, uint16_t* product_id);

  ResultCode reportDescriptor(std::vector<uint8_t>* descriptor) override;
  ResultCode getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                        size_t* got) override;
  ResultCode setFeature(const uint8_t* report, size_t length) override;
  ResultCode writeOutput(const uint8_t* report, size_t length, int timeout_ms) override;
  ResultCode readInput(uint8_t* buffer, size_t capacity, int timeout_ms, size_t* got) override;
  void flushInput() override;

 private:
  explicit HidSocketDevice(UniqueFd fd) : fd_(std::move(fd)) {}
  // Sends a request and waits for its reply: RC_OK with *reply of type `expect`, the device's
  // refusal code, RC_TIMEOUT, or RC_LINE_FAILURE once the socket broke.
  ResultCode request(uint8_t type, const void* payload, size_t length, uint8_t expect,
                     int timeout_ms, HidFrame* reply);
  // Waits at most timeout_ms for bytes and sorts the whole frames. False once broken.
  bool pump(int timeout_ms);
  bool sendAll(const std::string& bytes, int timeout_ms);

  UniqueFd fd_;
  std::string partial_;
  std::deque<std::string> input_;
  std::deque<HidFrame> replies_;
  int late_replies_ = 0;  // replies still owed to requests that timed out
  bool broken_ = false;
};

}  // namespace gw::posix

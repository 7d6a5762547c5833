// HID devices: finding them by vendor and product id, exchanging reports with one, and playing
// one for other processes (the simulator's USB UPS).
//
// Reports cross these interfaces as the kernel's raw HID nodes carry them. A report sent
// (feature or output) and a feature report fetched start with their report id, 0 for a device
// that does not number its reports. An input report starts with its id only when the device
// numbers its reports; otherwise it is the bare data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/result_code.h"

namespace gw {

// The largest report and the largest report descriptor a device may have.
inline constexpr size_t kHidMaxReportBytes = 4096;
inline constexpr size_t kHidMaxDescriptorBytes = 4096;

// Names the simulated HID devices (Unix sockets, separated by ':') that the system bus lists
// instead of the kernel's when it is set and not empty.
inline constexpr const char* kHidSimulatorVariable = "GRIDWATCH_HID";

struct HidDeviceInfo {
  std::string path;
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
};

// One open device; the destructor closes it. Single-threaded.
class HidDevice {
 public:
  HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;
  virtual ~HidDevice() = default;

  // The report descriptor. RC_LINE_FAILURE when the device cannot give it.
  [[nodiscard]] virtual ResultCode reportDescriptor(std::vector<uint8_t>* descriptor) = 0;
  // Fetches feature report `report_id` into buffer (id first); *got counts the id byte.
  // RC_BUFFER_TOO_SMALL when capacity is 0; RC_LINE_FAILURE when the device refused.
  [[nodiscard]] virtual ResultCode getFeature(uint8_t report_id, uint8_t* buffer,
                                              size_t capacity, size_t* got) = 0;
  [[nodiscard]] virtual ResultCode setFeature(const uint8_t* report, size_t length) = 0;
  // Sends an output report, waiting at most timeout_ms for the device to take it: RC_TIMEOUT
  // then, RC_LINE_FAILURE when it refused or is gone.
  [[nodiscard]] virtual ResultCode writeOutput(const uint8_t* report, size_t length,
                                               int timeout_ms) = 0;
  // Waits at most timeout_ms for the next input report: RC_OK with *got bytes (a longer report
  // is cut to capacity), RC_TIMEOUT, or RC_LINE_FAILURE when the device is gone.
  [[nodiscard]] virtual ResultCode readInput(uint8_t* buffer, size_t capacity, int timeout_ms,
                                             size_t* got) = 0;
  // Discards the input reports already queued.
  virtual void flushInput() = 0;
};

// Where devices are found and opened.
class HidBus {
 public:
  HidBus() = default;
  HidBus(const HidBus&) = delete;
  HidBus& operator=(const HidBus&) = delete;
  virtual ~HidBus() = default;

  // The present devices with these ids, in an order that stays the same while nothing is
  // plugged or unplugged. *devices is written on RC_OK only (possibly empty).
  [[nodiscard]] virtual ResultCode enumerate(uint16_t vendor_id, uint16_t product_id,
                                             std::vector<HidDeviceInfo>* devices) = 0;
  // RC_NOT_AVAILABLE when the path names no device or it cannot be opened (missing, access).
  [[nodiscard]] virtual ResultCode open(const std::string& path,
                                        std::unique_ptr<HidDevice>* device) = 0;
};

// The machine's devices: the kernel's raw HID nodes (/dev/hidrawN, listed through sysfs by
// node number), or, when kHidSimulatorVariable is set, the simulated devices it names, in its
// order. A path that is a Unix socket opens as a simulated device either way. No state: one
// instance serves the whole process.
HidBus& systemHidBus();

// The device end of a HID device that this process plays. Single-threaded.
class HidPeripheral {
 public:
  HidPeripheral() = default;
  HidPeripheral(const HidPeripheral&) = delete;
  HidPeripheral& operator=(const HidPeripheral&) = delete;
  virtual ~HidPeripheral() = default;

  virtual uint16_t vendorId() const = 0;
  virtual uint16_t productId() const = 0;
  virtual const std::vector<uint8_t>& descriptor() const = 0;
  // Feature report `report_id`, id first. RC_NOT_AVAILABLE for an id the device lacks.
  [[nodiscard]] virtual ResultCode getFeature(uint8_t report_id, std::vector<uint8_t>* report) = 0;
  // A feature or output report from the host, id first. RC_BAD_VALUE when it makes no sense.
  [[nodiscard]] virtual ResultCode setFeature(const uint8_t* report, size_t length) = 0;
  [[nodiscard]] virtual ResultCode output(const uint8_t* report, size_t length) = 0;
  // The next input report the device sends of its own accord; false when none is waiting.
  virtual bool takeInput(std::vector<uint8_t>* report) = 0;
  // Lets time-based behaviour run.
  virtual void tick() {}
};

}  // namespace gw

// Listing the kernel's raw HID nodes through sysfs, by vendor and product id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/result_code.h"
#include "platform/hid.h"

namespace gw::posix {

// The vendor and product id from a HID device's uevent text (its line
// "HID_ID=<bus>:<vendor>:<product>", each field hexadecimal). False when there is no such line
// or a field does not fit.
[[nodiscard]] bool parseHidUevent(const std::string& uevent, uint16_t* vendor_id,
                                  uint16_t* product_id);

// The nodes "hidrawN" under class_dir (normally /sys/class/hidraw) whose device/uevent carries
// the ids, in ascending N, each as dev_dir + "/hidrawN". A node whose uevent cannot be read is
// skipped. RC_OK with an empty list when class_dir does not exist (no HID support loaded).
[[nodiscard]] ResultCode listHidrawNodes(const std::string& class_dir, const std::string& dev_dir,
                                         uint16_t vendor_id, uint16_t product_id,
                                         std::vector<HidDeviceInfo>* devices);

}  // namespace gw::posix

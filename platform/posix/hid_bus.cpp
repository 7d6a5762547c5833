// The system's HID bus: hidraw nodes listed through sysfs, or the simulated devices named in
// the environment.
#include <sys/stat.h>

#include <cstdlib>

#include "platform/hid.h"
#include "platform/posix/hid_socket_device.h"
#include "platform/posix/hid_sysfs.h"
#include "platform/posix/hidraw_device.h"

namespace gw {
namespace {

constexpr const char kHidrawClassDir[] = "/sys/class/hidraw";
constexpr const char kDevDir[] = "/dev";

class SystemHidBus final : public HidBus {
 public:
  ResultCode enumerate(uint16_t vendor_id, uint16_t product_id,
                       std::vector<HidDeviceInfo>* devices) override {
    const char* simulated = std::getenv(kHidSimulatorVariable);
    if (!simulated || !*simulated) {
      return posix::listHidrawNodes(kHidrawClassDir, kDevDir, vendor_id, product_id, devices);
    }
    std::vector<HidDeviceInfo> found;
    std::string list = simulated;
    size_t start = 0;
    while (start <= list.size()) {
      size_t colon = list.find(':', start);
      if (colon == std::string::npos) colon = list.size();
      std::string path = list.substr(start, colon - start);
      start = colon + 1;
      HidDeviceInfo info;
      std::unique_ptr<posix::HidSocketDevice> device;
      // A simulator that is not running is an unplugged device.
      if (path.empty() || posix::HidSocketDevice::connect(path, &device) != RC_OK ||
          device->identify(&info.vendor_id, &info.product_id) != RC_OK) {
        continue;
      }
      if (info.vendor_id != vendor_id || info.product_id != product_id) continue;
      info.path = path;
      found.push_back(std::move(info));
    }
    *devices = std::move(found);
    return RC_OK;
  }

  ResultCode open(const std::string& path, std::unique_ptr<HidDevice>* device) override {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return RC_NOT_AVAILABLE;
    if (S_ISSOCK(st.st_mode)) {
      std::unique_ptr<posix::HidSocketDevice> simulated;
      ResultCode rc = posix::HidSocketDevice::connect(path, &simulated);
      if (rc != RC_OK) return rc;
      *device = std::move(simulated);
      return RC_OK;
    }
    if (S_ISCHR(st.st_mode)) return posix::HidrawDevice::open(path, device);
    return RC_NOT_AVAILABLE;
  }
};

}  // namespace

HidBus& systemHidBus() {
  static SystemHidBus bus;
  return bus;
}

}  // namespace gw

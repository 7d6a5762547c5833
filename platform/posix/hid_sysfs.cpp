// sysfs listing of hidraw nodes: the uevent's HID_ID line, ordered by node number.
#include "platform/posix/hid_sysfs.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

namespace gw::posix {
namespace {

constexpr const char kNodePrefix[] = "hidraw";

// The number of "hidrawN", or -1 for any other name.
long nodeNumber(const std::string& name) {
  const size_t prefix = sizeof kNodePrefix - 1;
  if (name.size() <= prefix || name.compare(0, prefix, kNodePrefix) != 0) return -1;
  if (name.size() - prefix > 6) return -1;
  long n = 0;
  for (size_t i = prefix; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

bool parseHex(const std::string& text, unsigned long max, unsigned long* value) {
  if (text.empty() || text.size() > 8) return false;
  // strtoul alone would take blanks, a sign or "0x" too.
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (errno != 0 || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

bool parseHidUevent(const std::string& uevent, uint16_t* vendor_id, uint16_t* product_id) {
  std::istringstream in(uevent);
  std::string line;
  const std::string key = "HID_ID=";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string rest = line.substr(key.size());
    size_t a = rest.find(':');
    size_t b = a == std::string::npos ? a : rest.find(':', a + 1);
    if (b == std::string::npos) return false;
    unsigned long bus = 0, vendor = 0, product = 0;
    if (!parseHex(rest.substr(0, a), 0xFFFF, &bus) ||
        !parseHex(rest.substr(a + 1, b - a - 1), 0xFFFF, &vendor) ||
        !parseHex(rest.substr(b + 1), 0xFFFF, &product)) {
      return false;
    }
    *vendor_id = static_cast<uint16_t>(vendor);
    *product_id = static_cast<uint16_t>(product);
    return true;
  }
  return false;
}

ResultCode listHidrawNodes(const std::string& class_dir, const std::string& dev_dir,
                           uint16_t vendor_id, uint16_t product_id,
                           std::vector<HidDeviceInfo>* devices) {
  std::vector<std::pair<long, std::string>> nodes;
  if (DIR* dir = ::opendir(class_dir.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      long n = nodeNumber(name);
      if (n >= 0) nodes.emplace_back(n, name);
    }
    ::closedir(dir);
  } else if (errno != ENOENT) {
    return RC_NOT_AVAILABLE;
  }
  // readdir's order is the file system's; the node number is what stays put.
  std::sort(nodes.begin(), nodes.end());
  std::vector<HidDeviceInfo> found;
  for (const auto& [n, name] : nodes) {
    std::ifstream in(class_dir + "/" + name + "/device/uevent");
    if (!in) continue;
    std::stringstream text;
    text << in.rdbuf();
    HidDeviceInfo info;
    if (!parseHidUevent(text.str(), &info.vendor_id, &info.product_id)) continue;
    if (info.vendor_id != vendor_id || info.product_id != product_id) continue;
    info.path = dev_dir + "/" + name;
    found.push_back(std::move(info));
  }
  *devices = std::move(found);
  return RC_OK;
}

}  // namespace gw::posix

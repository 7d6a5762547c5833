// The USB rule file that opens the UPS's HID node to the service and to the user at the
// console. Its header comment names the provider and the setup class, by which the uninstaller
// tells its own rule files from everyone else's.
#pragma once

#include <cstdint>
#include <string>

namespace gw::setup {

inline constexpr const char* kRulesFolder = "/etc/udev/rules.d";
// Rule files occupy numbered slots, shared with other vendors' files of the same pattern.
inline constexpr int kRuleSlots = 101;

struct UsbIds {
  uint16_t vendor;
  uint16_t product;
};

// The ids the build was configured with.
UsbIds configuredUsbIds();

// "70-oem<slot>.rules".
std::string ruleFileName(int slot);

std::string udevRuleText(UsbIds ids);

// The header's Provider and SetupClass ("UNKNOW" when absent), read from its "[Version]"
// section of comment lines; key names in any letter case.
struct RuleHeader {
  std::string provider;
  std::string setup_class;
};
RuleHeader readRuleHeader(const std::string& text);

// True when the file is ours: our provider or our setup class.
bool isOwnRuleFile(const std::string& text);

}  // namespace gw::setup

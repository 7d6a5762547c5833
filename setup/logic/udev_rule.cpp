// Rule text and header reading.
#include "setup/logic/udev_rule.h"

#include <cstdio>

#include "common/line_file.h"
#include "setup/logic/setup_tables.h"

#ifndef GW_UPS_USB_VENDOR_ID
#error "the build must define GW_UPS_USB_VENDOR_ID and GW_UPS_USB_PRODUCT_ID"
#endif

namespace gw::setup {
namespace {

constexpr const char* kUnknown = "UNKNOW";

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string trim(std::string_view text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t\r");
  std::string out(text.substr(start, end - start + 1));
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"') out = out.substr(1, out.size() - 2);
  return out;
}

}  // namespace

UsbIds configuredUsbIds() {
  return {static_cast<uint16_t>(GW_UPS_USB_VENDOR_ID), static_cast<uint16_t>(GW_UPS_USB_PRODUCT_ID)};
}

std::string ruleFileName(int slot) { return "70-oem" + std::to_string(slot) + ".rules"; }

std::string udevRuleText(UsbIds ids) {
  char match[128];
  std::snprintf(match, sizeof match, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"",
                ids.vendor, ids.product);
  return std::string("# [Version]\n") + "# Provider=" + kRuleProvider + "\n" +
         "# SetupClass=" + kRuleSetupClass + "\n" + "#\n" +
         "# Gridwatch Plus: the UPS's HID node for the UPS service and the user at the console.\n" +
         "SUBSYSTEM==\"hidraw\", " + match + ", MODE=\"0660\", TAG+=\"uaccess\"\n";
}

RuleHeader readRuleHeader(const std::string& text) {
  RuleHeader header{kUnknown, kUnknown};
  bool in_version = false;
  for (const std::string& raw : splitLines(text)) {
    std::string_view line = raw;
    if (line.empty() || line.front() != '#') continue;
    std::string content = trim(line.substr(1));
    if (!content.empty() && content.front() == '[') {
      in_version = sameLetters(content, "[Version]");
      continue;
    }
    std::string_view key;
    std::string_view value;
    if (!in_version || !splitKeyValue(content, &key, &value)) continue;
    std::string name = trim(key);
    if (sameLetters(name, "Provider")) header.provider = trim(value);
    if (sameLetters(name, "SetupClass")) header.setup_class = trim(value);
  }
  return header;
}

bool isOwnRuleFile(const std::string& text) {
  RuleHeader header = readRuleHeader(text);
  return header.provider == kRuleProvider || header.setup_class == kRuleSetupClass;
}

}  // namespace gw::setup

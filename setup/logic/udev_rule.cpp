// Rule text and header reading. The rule itself is the HID bridge's udev template.
#include "setup/logic/udev_rule.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "common/ascii_case.h"
#include "common/line_file.h"
#include "hidbridge/ups_usb_ids.h"
#include "setup/logic/setup_tables.h"
#include "setup/logic/udev_rule_body.h"

namespace gw::setup {
namespace {

constexpr const char* kUnknown = "UNKNOW";

std::string trim(std::string_view text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t\r");
  std::string out(text.substr(start, end - start + 1));
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"') out = out.substr(1, out.size() - 2);
  return out;
}

}  // namespace

UsbIds configuredUsbIds() { return {UPS_USB_VENDOR_ID, UPS_USB_PRODUCT_ID}; }

std::string ruleFileName(int slot) { return "70-oem" + std::to_string(slot) + ".rules"; }

std::string udevRuleText(UsbIds ids) {
  // udev matches the ids as four lower-case hex digits.
  std::string body = kUdevRuleBody;
  for (auto [placeholder, id] : {std::pair{"@UPS_USB_VENDOR_HEX@", ids.vendor},
                                 std::pair{"@UPS_USB_PRODUCT_HEX@", ids.product}}) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04x", id);
    for (size_t at = body.find(placeholder); at != std::string::npos; at = body.find(placeholder)) {
      body.replace(at, std::string_view(placeholder).size(), hex);
    }
  }
  return std::string("# [Version]\n") + "# Provider=" + kRuleProvider + "\n" +
         "# SetupClass=" + kRuleSetupClass + "\n" + "#\n" + body;
}

RuleHeader readRuleHeader(const std::string& text) {
  RuleHeader header{kUnknown, kUnknown};
  bool in_version = false;
  for (const std::string& raw : splitLines(text)) {
    std::string_view line = raw;
    if (line.empty() || line.front() != '#') continue;
    std::string content = trim(line.substr(1));
    if (!content.empty() && content.front() == '[') {
      in_version = equalsIgnoringAsciiCase(content, "[Version]");
      continue;
    }
    std::string_view key;
    std::string_view value;
    if (!in_version || !splitKeyValue(content, &key, &value)) continue;
    std::string name = trim(key);
    if (equalsIgnoringAsciiCase(name, "Provider")) header.provider = trim(value);
    if (equalsIgnoringAsciiCase(name, "SetupClass")) header.setup_class = trim(value);
  }
  return header;
}

bool isOwnRuleFile(const std::string& text) {
  RuleHeader header = readRuleHeader(text);
  return header.provider == kRuleProvider || header.setup_class == kRuleSetupClass;
}

}  // namespace gw::setup

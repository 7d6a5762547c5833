// Address rules: the "access" line form and matching.
#include "service/access/protect_rule.h"

#include <bit>

#include "common/line_file.h"
#include "platform/socket.h"

namespace gw {

int ProtectRule::prefixLength() const {
  if (mask == 0) return 0;
  return 32 - std::countr_zero(mask);
}

bool ProtectRule::parse(std::string_view line, ProtectRule* out) {
  size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return false;
  int action = -1;
  for (size_t i = 0; i < kRuleActionNames.size(); ++i) {
    if (line.substr(0, blank) == kRuleActionNames[i]) action = static_cast<int>(i);
  }
  if (action < 0) return false;
  size_t slash = line.find('/', blank + 1);
  if (slash == std::string_view::npos) return false;
  std::string_view prefix_text = line.substr(slash + 1);
  if (prefix_text.empty()) return false;
  long long prefix = parseLeadingInt(prefix_text);
  if (prefix < 0 || prefix > 32) return false;

  uint32_t address = 0xFFFFFFFFu;
  if (!parseIpv4(line.substr(blank + 1, slash - blank - 1), &address)) address = 0xFFFFFFFFu;
  out->address = address;
  out->mask = maskOfPrefix(static_cast<int>(prefix));
  out->action = static_cast<RuleAction>(action);
  return true;
}

std::string ProtectRule::text() const {
  std::string out(kRuleActionNames[static_cast<size_t>(action)]);
  out.push_back(' ');
  out.append(formatIpv4(address));
  out.push_back('/');
  out.append(std::to_string(prefixLength()));
  return out;
}

}  // namespace gw

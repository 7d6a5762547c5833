// One address rule of the client protocol server: what to do with a remote peer whose address
// falls in a network.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace gw {

enum RuleAction : int {
  RULE_NONE = 0,   // matches but decides nothing
  RULE_ALLOW = 1,  // serve the client
  RULE_DENY = 2,   // answer "ERR 32", then close
  RULE_DROP = 3,   // close without a word
};
inline constexpr std::array<std::string_view, 4> kRuleActionNames = {"NONE", "ALLOW", "DENY",
                                                                      "DROP"};

// Addresses are IPv4 in host byte order (192.168.1.0 is 0xC0A80100), as platform/socket.h
// gives peer addresses.
struct ProtectRule {
  uint32_t address = 0;
  uint32_t mask = 0;  // a run of leading one bits; 0 matches every address
  RuleAction action = RULE_DENY;

  bool matches(uint32_t peer) const { return (address & mask) == (peer & mask); }

  // The mask of a prefix length 0..32.
  static constexpr uint32_t maskOfPrefix(int prefix) {
    return prefix <= 0 ? 0u : prefix >= 32 ? 0xFFFFFFFFu : ~0u << (32 - prefix);
  }
  // 32 minus the trailing zero bits of the mask; 0 for mask 0.
  int prefixLength() const;

  // Reads an "access" file line: the action word (exact upper case), one blank, the dotted
  // address, '/', the prefix length read from its leading digits (optional sign; no digits
  // reads 0). Refused: no blank, an unknown word, no '/', an empty prefix, a prefix outside
  // 0..32. An address that does not read as dotted decimal becomes 255.255.255.255.
  // `out` is written only on success.
  [[nodiscard]] static bool parse(std::string_view line, ProtectRule* out);

  // "ALLOW 192.168.1.0/24": the line form without its line feed.
  std::string text() const;

  bool operator==(const ProtectRule&) const = default;
};

}  // namespace gw

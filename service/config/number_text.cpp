// Leading-number reading for the settings files.
#include "service/config/number_text.h"

#include <charconv>

namespace gw {

bool parseLeadingNumber(std::string_view text, long long* out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f')) {
    ++i;
  }
  text.remove_prefix(i);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would accept a second sign; insist on a digit here.
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  unsigned long long magnitude = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc()) return false;
  (void)ptr;  // trailing characters are allowed
  constexpr unsigned long long kMaxPositive = 9223372036854775807ULL;
  if (negative) {
    if (magnitude > kMaxPositive + 1) return false;
    *out = magnitude == kMaxPositive + 1 ? static_cast<long long>(-kMaxPositive) - 1
                                         : -static_cast<long long>(magnitude);
  } else {
    if (magnitude > kMaxPositive) return false;
    *out = static_cast<long long>(magnitude);
  }
  return true;
}

}  // namespace gw

// Reading numbers from the settings files the way the service always has: leading blanks are
// skipped and whatever follows the digits is ignored.
#pragma once

#include <string_view>

namespace gw {

// Skips leading blanks (space, tab, CR, VT, FF), takes an optional '+' or '-' and then at least
// one decimal digit; characters after the digits are ignored. Returns false when there is no
// digit or the value does not fit in a long long; `out` is written only on success.
[[nodiscard]] bool parseLeadingNumber(std::string_view text, long long* out);

}  // namespace gw

// The record texts of a fresh service, by event code: the defaults of the "content" of every
// event's record action, and what a client shows for a code whose text it could not fetch.
#pragma once

#include <array>
#include <string_view>

#include "protocol/policy_names.h"

namespace gw {

inline constexpr std::array<std::string_view, 2 * kEventCount> kDefaultRecordTexts = {
    "UPS service started.",
    "UPS service terminated.",
    "UPS communication can't establish.",
    "UPS communication established.",
    "UPS power failure.",
    "UPS power restore.",
    "UPS battery capacity low.",
    "UPS battery capacity recover.",
    "UPS over load.",
    "UPS load recover.",
    "UPS temperature is too high.",
    "UPS temperature is recover.",
};

}  // namespace gw

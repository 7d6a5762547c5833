// Event code texts with their built-in fallbacks.
#include "client/core/event_texts.h"

#include <cstdio>

#include "protocol/policy_key.h"

namespace gw {
namespace {

// What a fresh service records for each code.
constexpr std::array<std::string_view, EventTexts::kCodeCount> kBuiltInTexts = {
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
static_assert(EventTexts::kCodeCount == 2 * kEventCount);

}  // namespace

EventTexts::EventTexts() {
  for (size_t i = 0; i < texts_.size(); ++i) texts_[i] = kBuiltInTexts[i];
}

std::string EventTexts::contentKey(int code) {
  if (code < 0 || code >= kCodeCount) return {};
  PolicyKey key;
  key.event = static_cast<EventId>(code / 2);
  key.action = ACTION_RECORD;
  key.phase = code % 2 == 1 ? PHASE_RESTORE : PHASE_HAPPEN;
  key.param = PARAM_CONTENT;
  return key.text();
}

void EventTexts::setText(int code, std::string_view text) {
  if (code < 0 || code >= kCodeCount || text.empty()) return;
  texts_[static_cast<size_t>(code)] = text;
}

std::string EventTexts::text(int code) const {
  if (code >= 0 && code < kCodeCount) return texts_[static_cast<size_t>(code)];
  char buf[32];
  std::snprintf(buf, sizeof buf, "event %03d", code);
  return buf;
}

}  // namespace gw

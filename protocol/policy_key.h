// A parsed policy key: which event, action, phase and parameter a key text names.
#pragma once

#include <string>
#include <string_view>

#include "protocol/policy_names.h"

namespace gw {

struct PolicyKey {
  EventId event = EVENT_START;
  ActionId action = ACTION_RECORD;
  PhaseId phase = PHASE_HAPPEN;
  ParamId param = PARAM_MAX_COUNT;

  // Parses "event.action.phase.parameter": exactly four names joined by '.', each compared
  // exactly against its table, and a parameter that belongs to the phase ("interval" is happen
  // only). Extra or missing parts, or any unknown name, give false and leave `out` unchanged.
  [[nodiscard]] static bool parse(std::string_view text, PolicyKey* out);

  // The key text, e.g. "powerfail.shutdown.happen.max count".
  std::string text() const;
};

}  // namespace gw

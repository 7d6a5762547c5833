// Policy key parsing and formatting.
#include "protocol/policy_key.h"

#include <array>

namespace gw {

bool PolicyKey::parse(std::string_view text, PolicyKey* out) {
  // Exactly four parts: a key with extra dotted parts is not the same key, and must not be
  // accepted under a text that a watcher would not recognise.
  std::array<std::string_view, 4> parts;
  size_t count = 0;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    if (count == parts.size()) return false;
    parts[count++] = text.substr(start, dot == std::string_view::npos ? dot : dot - start);
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (count != parts.size()) return false;
  int event = indexOfName(kEventNames, parts[0]);
  int action = indexOfName(kActionNames, parts[1]);
  int phase = indexOfName(kPhaseNames, parts[2]);
  int param = indexOfName(kParamNames, parts[3]);
  if (event < 0 || action < 0 || phase < 0 || param < 0) return false;
  if (!phaseHasParam(static_cast<PhaseId>(phase), static_cast<ParamId>(param))) return false;
  out->event = static_cast<EventId>(event);
  out->action = static_cast<ActionId>(action);
  out->phase = static_cast<PhaseId>(phase);
  out->param = static_cast<ParamId>(param);
  return true;
}

std::string PolicyKey::text() const {
  std::string out;
  out.append(kEventNames[event]).push_back('.');
  out.append(kActionNames[action]).push_back('.');
  out.append(kPhaseNames[phase]).push_back('.');
  out.append(kParamNames[param]);
  return out;
}

}  // namespace gw

// The effects of the policy's actions.
#include "service/policy/policy_actions.h"

#include <string>

namespace gw {

std::map<std::string, std::string> PolicyActions::commandEnvironment(const ActionJob& job) {
  return {
      {"GRIDWATCH_EVENT", std::string(kEventNames[static_cast<size_t>(job.event)])},
      {"GRIDWATCH_PHASE", job.phase == PHASE_RESTORED ? "restore" : "happen"},
  };
}

void PolicyActions::runAction(const ActionJob& job) {
  switch (job.action) {
    case ACTION_RECORD:
      // A record that cannot be written is lost; the log store has nobody to tell either.
      (void)logs_.appendEvent(job.eventTime(), job.eventLogCode());
      return;
    case ACTION_SOUND:
      // A missing file or player plays nothing, by design.
      (void)sound_.playSound(job.content);
      return;
    case ACTION_SHUTDOWN:
      host_.requestShutdown(0);
      return;
    case ACTION_COMMAND:
      if (job.content.empty()) return;
      // The command's own failure is its business; a hung one is killed at the time-out.
      (void)runner_.runCommand(job.content, commandEnvironment(job), kCommandTimeoutMs);
      return;
    case ACTION_BROADCAST:
      if (job.content.empty()) return;
      // Without wall there is nobody to reach; nothing else to do.
      (void)runner_.broadcast(job.content, kCommandTimeoutMs);
      return;
    case ACTION_EMAIL:
    case ACTION_PAGER:
    case ACTION_PHONE:
    case ACTION_SMS:
      return;
  }
}

}  // namespace gw

// The effects of the policy's actions: the event-log record, the sound, the shutdown request,
// and the outside command and broadcast.
#pragma once

#include <map>
#include <string>

#include "platform/sound.h"
#include "service/logs/log_store.h"
#include "service/policy/action_job.h"
#include "service/policy/command_runner.h"
#include "service/policy/engine_host.h"

namespace gw {

// record: appends the job's event code stamped with the time of the event (not of the run).
// sound: plays the content, or beeps when it is empty.
// shutdown: asks the host for a shutdown without restart.
// command: runs the content through the shell, with GRIDWATCH_EVENT (the event name) and
//   GRIDWATCH_PHASE ("happen" or "restore") in its environment; empty content runs nothing.
// broadcast: sends the content to the logged-in terminals; empty content sends nothing.
// email, pager, phone, sms: no effect.
// Outside programs are cut off after kCommandTimeoutMs. All references are not owned and must
// outlive the object; record, command and broadcast may be called from worker threads.
class PolicyActions : public ActionHandler {
 public:
  static constexpr int kCommandTimeoutMs = 60000;

  PolicyActions(LogStore& logs, SoundPlayer& sound, EngineHost& host, CommandRunner& runner)
      : logs_(logs), sound_(sound), host_(host), runner_(runner) {}

  void runAction(const ActionJob& job) override;

  // The environment a command runs with.
  static std::map<std::string, std::string> commandEnvironment(const ActionJob& job);

 private:
  LogStore& logs_;
  SoundPlayer& sound_;
  EngineHost& host_;
  CommandRunner& runner_;
};

}  // namespace gw

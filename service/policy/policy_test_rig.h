// A policy engine wired to real log files in a temporary directory and to recording fakes for
// sound, shutdown and outside commands, driven by a fake clock the way the main loop drives it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/line_file.h"
#include "service/config/notice_handler.h"
#include "service/config/notice_id_counter.h"
#include "service/logs/log_store.h"
#include "service/policy/policy_actions.h"
#include "service/policy/policy_engine.h"
#include "testing/fake_clock.h"
#include "testing/fake_command_runner.h"
#include "testing/fake_engine_host.h"
#include "testing/recording_sound_player.h"
#include "testing/temp_dir.h"

namespace gw {

class PolicyRig : public NoticeHandler {
 public:
  static constexpr int64_t kPollMs = 3000;

  // `protect`, when not empty, is written as the "protect" file before the engine loads it.
  explicit PolicyRig(const std::string& protect = "") {
    if (!protect.empty()) dir.write("protect", protect);
    engine = std::make_unique<PolicyEngine>(clock, actions, dir.path(), ids, this);
    retime_id = engine->watch(PolicyEngine::kRetimeKey);
  }

  // The service core's reaction to the watched key.
  void onNotice(uint32_t id) override {
    if (id == retime_id) engine->retimeShutdown();
  }

  // Ticks like the main loop for `ms` of fake time: a tick, then a wait for the tick's timeout,
  // but never longer than one poll. Returns false when the engine asked for no wait again and
  // again (a hang of the main loop).
  bool runFor(int64_t ms) {
    const int64_t end = clock.nowMs() + ms;
    int zero_waits = 0;
    for (;;) {
      uint32_t timeout = std::numeric_limits<uint32_t>::max();
      engine->tick(timeout);
      last_timeout = timeout;
      const int64_t now = clock.nowMs();
      if (now >= end) return true;
      int64_t step = std::min<int64_t>({static_cast<int64_t>(timeout), kPollMs, end - now});
      if (step == 0 && ++zero_waits > 1000) return false;
      if (step > 0) zero_waits = 0;
      clock.advance(step);
    }
  }

  // The event log's records, without line ends.
  std::vector<std::string> eventRecords() const {
    std::vector<std::string> out;
    for (std::string line : splitLines(dir.read("event"))) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out.push_back(line);
    }
    return out;
  }

  // Seconds after `start_ms` at which `content` was played ("" for beeps).
  std::vector<int64_t> soundTimes(const std::string& content, int64_t start_ms) const {
    std::vector<int64_t> out;
    for (const auto& p : sound.played()) {
      if (p.content == content) out.push_back((p.at_ms - start_ms) / 1000);
    }
    return out;
  }

  static std::string record(int64_t time_ms, int code) {
    return LogStore::eventRecordText(time_ms, code);
  }

  TempDir dir;
  FakeClock clock;
  LogStore logs{dir.path()};
  RecordingSoundPlayer sound{clock};
  FakeEngineHost host{clock};
  FakeCommandRunner runner;
  PolicyActions actions{logs, sound, host, runner};
  NoticeIdCounter ids;
  std::unique_ptr<PolicyEngine> engine;
  uint32_t retime_id = 0;
  uint32_t last_timeout = 0;
};

}  // namespace gw

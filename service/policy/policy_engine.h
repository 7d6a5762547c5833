// The policy engine: the event policy, the phase of each event and the run-time state of each
// action, and the tick that queues and runs the actions that fall due.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "service/config/notice_handler.h"
#include "service/config/notice_id_counter.h"
#include "service/config/policy_table.h"
#include "service/policy/action_executor.h"
#include "service/policy/action_job.h"
#include "service/policy/action_slot.h"

namespace gw {

// Main thread only (the actions it hands to worker threads get their own copies of the job).
// Timing runs on the clock's monotonic time, so a wall-clock step never fires a shutdown early
// or holds it back; the times an event carries into its records are wall times.
//
// The clock, the handler, the id counter and the notice handler are not owned and must outlive
// the engine. Destruction waits for running worker actions.
class PolicyEngine {
 public:
  static constexpr const char* kRetimeKey = "powerfail.shutdown.happen.max count";

  // Loads "protect" from `data_dir` over the default policy (a missing file keeps the
  // defaults); the lines it refused are in loadReport(). No key is watched yet, so loading
  // posts no notices.
  PolicyEngine(Clock& clock, ActionHandler& handler, std::string data_dir, NoticeIdCounter& ids,
               NoticeHandler* notices);
  PolicyEngine(const PolicyEngine&) = delete;
  PolicyEngine& operator=(const PolicyEngine&) = delete;

  // Writes the policy to "protect", atomically.
  [[nodiscard]] ResultCode save() const;

  // Enters the happened phase, stamping the time, unless the event is in it already. Either way
  // the next tick evaluates at once.
  void happen(EventId event);
  // Enters the restored phase, stamping the time, unless the event is in it already.
  void restore(EventId event);
  // Sets the event idle and returns the phase it had. Times and slot counts stay, so an action
  // that has used up its runs does not run again when the event happens anew.
  EventPhase reset(EventId event);

  // Once per main-loop pass: queues the actions that are due and runs the queue. Lowers
  // timeout_ms to the time until the engine next needs a tick (never raises it).
  void tick(uint32_t& timeout_ms);

  // The reaction to a set of kRetimeKey: when the key is not 0 and a power failure is in
  // progress, the power-fail actions are timed afresh from now (the shutdown delay restarts).
  void retimeShutdown();

  // The run is ending: marks "start" restored and runs one last tick, so that the restore
  // actions of "start" that are due at once (the "UPS service terminated." record) run.
  // Actions already handed to workers finish before the engine is destroyed.
  void finalPass();

  // Key-level access for clients; see PolicyTable.
  [[nodiscard]] bool getPolicy(std::string* text) const { return table_.getPolicy(text); }
  [[nodiscard]] bool setPolicy(std::string_view entry) { return table_.setPolicy(entry); }
  // The table and its file, for clients' changes (PolicyTable::applyPolicy).
  PolicyTable& table() { return table_; }
  const std::string& protectPath() const { return protect_path_; }
  uint32_t watch(std::string_view key) { return table_.watch(key); }
  const LoadReport& loadReport() const { return load_report_; }

  EventPhase phase(EventId event) const { return entry(event).phase; }
  // Wall time of the event's last happen and restore (0 before the first).
  int64_t happenTime(EventId event) const { return entry(event).happen_time; }
  int64_t restoreTime(EventId event) const { return entry(event).restore_time; }
  const ActionSlot& slot(EventId event, ActionId action) const {
    return entry(event).slots[static_cast<size_t>(action)];
  }
  // Jobs queued or running.
  size_t pendingJobs() const { return executor_.size(); }

 private:
  struct EventEntry {
    EventPhase phase = PHASE_IDLE;
    int64_t happen_time = 0;   // wall ms
    int64_t restore_time = 0;  // wall ms
    int64_t happen_mono = 0;   // monotonic ms of the same moments
    int64_t restore_mono = 0;
    std::array<ActionSlot, kActionCount> slots{};
  };

  EventEntry& entry(EventId event) { return events_[static_cast<size_t>(event)]; }
  const EventEntry& entry(EventId event) const { return events_[static_cast<size_t>(event)]; }
  void evaluate(EventId event, int64_t now_mono, uint32_t& wait);

  Clock& clock_;
  std::string protect_path_;
  PolicyTable table_;
  LoadReport load_report_;
  std::array<EventEntry, kEventCount> events_{};
  // Monotonic ms before which a tick has nothing to do.
  int64_t next_evaluation_ = 0;
  ActionExecutor executor_;
};

}  // namespace gw

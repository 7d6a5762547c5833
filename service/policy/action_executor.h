// The policy's job queue: runs queued action jobs in order, quick ones at once on the calling
// thread and slow ones in worker threads, one at a time per busy group.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>

#include "platform/clock.h"
#include "service/policy/action_durations.h"
#include "service/policy/action_job.h"

namespace gw {

// Owned by the policy engine; driven from the main thread only (enqueue, run). The handler and
// the clock are not owned and must outlive the executor; worker threads call the handler and
// read the clock's monotonic time. Destruction waits for running workers to end, so a handler
// must return in bounded time.
class ActionExecutor {
 public:
  // How often the main thread looks at a running worker at most: never a busy spin, even when
  // an action's expected duration is 0.
  static constexpr uint32_t kMinPollMs = 10;
  // When a worker thread cannot be started the job stays queued and is tried again after this.
  static constexpr uint32_t kRetryStartMs = 1000;

  ActionExecutor(Clock& clock, ActionHandler& handler);
  ~ActionExecutor();
  ActionExecutor(const ActionExecutor&) = delete;
  ActionExecutor& operator=(const ActionExecutor&) = delete;

  void enqueue(ActionJob job);

  // Walks the queue once: removes jobs whose worker ended (freeing their group), starts every
  // job whose group is free, and returns the wait in ms until the queue wants looking at again
  // (UINT32_MAX when it is empty).
  uint32_t run();

  bool empty() const { return queue_.empty(); }
  size_t size() const { return queue_.size(); }
  ActionDurations& durations() { return durations_; }

 private:
  struct Worker;
  struct Entry {
    ActionJob job;
    std::shared_ptr<Worker> worker;  // set once the job runs in a worker thread
    int64_t started_ms = 0;          // monotonic
  };

  // Starts the job at `it`. Returns true when it ran to completion here and was removed.
  bool start(std::list<Entry>::iterator it, uint32_t& wait);
  void runHere(const ActionJob& job);
  // Lowers `wait` to the time a job started at `started_ms` is expected to still need.
  void lowerForBusy(ActionId action, int64_t started_ms, uint32_t& wait) const;

  Clock& clock_;
  ActionHandler& handler_;
  ActionDurations durations_;
  std::list<Entry> queue_;
  // Monotonic start of the running job of each group; a group is busy while its flag is set.
  std::array<bool, kBusyGroupCount> busy_{};
  std::array<int64_t, kBusyGroupCount> busy_since_{};
};

}  // namespace gw

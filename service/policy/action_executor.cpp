// Job queue and worker threads of the policy engine.
#include "service/policy/action_executor.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

#include "common/deadline.h"

namespace gw {

struct ActionExecutor::Worker {
  std::thread thread;
  std::atomic<bool> done{false};
};

namespace {

uint32_t measuredSince(const Clock& clock, int64_t started_ms) {
  int64_t ms = clock.monotonicMs() - started_ms;
  if (ms < 0) return 0;
  return ms > static_cast<int64_t>(kUnlimitedTimeout) ? kUnlimitedTimeout : static_cast<uint32_t>(ms);
}

}  // namespace

ActionExecutor::ActionExecutor(Clock& clock, ActionHandler& handler)
    : clock_(clock), handler_(handler) {}

ActionExecutor::~ActionExecutor() {
  for (Entry& entry : queue_) {
    if (entry.worker && entry.worker->thread.joinable()) entry.worker->thread.join();
  }
}

void ActionExecutor::enqueue(ActionJob job) { queue_.push_back(Entry{std::move(job), nullptr, 0}); }

uint32_t ActionExecutor::run() {
  uint32_t wait = kUnlimitedTimeout;
  auto it = queue_.begin();
  while (it != queue_.end()) {
    const ActionId action = it->job.action;
    const int group = kActionBusyGroup[static_cast<size_t>(action)];
    if (it->worker) {
      if (it->worker->done.load()) {
        it->worker->thread.join();
        if (group >= 0) busy_[static_cast<size_t>(group)] = false;
        queue_.erase(it);
        it = queue_.begin();
        continue;
      }
      // Still running; an ungrouped job is its own busy marker.
      lowerForBusy(action, it->started_ms, wait);
      ++it;
      continue;
    }
    if (group >= 0 && busy_[static_cast<size_t>(group)]) {
      lowerForBusy(action, busy_since_[static_cast<size_t>(group)], wait);
      ++it;
      continue;
    }
    if (start(it, wait)) {
      it = queue_.begin();
    } else {
      ++it;
    }
  }
  return wait;
}

bool ActionExecutor::start(std::list<Entry>::iterator it, uint32_t& wait) {
  const ActionId action = it->job.action;
  const int group = kActionBusyGroup[static_cast<size_t>(action)];
  const int64_t now = clock_.monotonicMs();
  if (!durations_.runsInWorker(action)) {
    runHere(it->job);
    queue_.erase(it);
    return true;
  }
  auto worker = std::make_shared<Worker>();
  // Thread creation is the one place the standard library reports failure by throwing; the
  // job then stays queued, its group free, and is tried again later.
  try {
    worker->thread = std::thread([this, worker_state = worker.get(), job = it->job, now] {
      handler_.runAction(job);
      durations_.recordMeasured(job.action, measuredSince(clock_, now));
      worker_state->done.store(true);
    });
  } catch (const std::system_error&) {
    lowerTimeout(wait, kRetryStartMs);
    return false;
  }
  it->worker = std::move(worker);
  it->started_ms = now;
  if (group >= 0) {
    busy_[static_cast<size_t>(group)] = true;
    busy_since_[static_cast<size_t>(group)] = now;
  }
  lowerTimeout(wait, std::max<uint32_t>(durations_.expected(action), kMinPollMs));
  return false;
}

void ActionExecutor::runHere(const ActionJob& job) {
  const int64_t started = clock_.monotonicMs();
  handler_.runAction(job);
  durations_.recordMeasured(job.action, measuredSince(clock_, started));
}

void ActionExecutor::lowerForBusy(ActionId action, int64_t started_ms, uint32_t& wait) const {
  const int64_t duration = durations_.expected(action);
  const int64_t elapsed = clock_.monotonicMs() - started_ms;
  int64_t ms = elapsed >= duration ? duration / 10 : duration - elapsed;
  lowerTimeout(wait, std::max<int64_t>(ms, kMinPollMs));
}

}  // namespace gw

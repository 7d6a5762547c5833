// The WindowWatch of the real desktops: the window's two named events and its program's end.
#pragma once

#include <atomic>
#include <memory>

#include "closer/desktop.h"
#include "platform/clock.h"
#include "platform/named_event.h"
#include "platform/other_process.h"

namespace gw {

class EventWatch final : public WindowWatch {
 public:
  // How often the three are looked at while waiting: named events and another process's end
  // cannot be waited for together, so the wait looks in short slices.
  static constexpr int64_t kSliceMs = 10;

  // Either event and `process` may be null; what is missing never wakes the wait. `process` and
  // `clock` must outlive the watch.
  EventWatch(std::unique_ptr<NamedEvent> active, std::unique_ptr<NamedEvent> destroy,
             OtherProcess* process, Clock& clock);

  WakeReason wait(int64_t timeout_ms) override;
  // Kept in the process rather than posted to the named event, so that the watcher library stays
  // the event's only signaller and the event never counts more than one.
  void signalActive() override { self_active_ = true; }

 private:
  // One look at the three, in their order of precedence; kTimeout when none holds.
  WakeReason look();

  std::unique_ptr<NamedEvent> active_;
  std::unique_ptr<NamedEvent> destroy_;
  OtherProcess* process_;
  Clock& clock_;
  std::atomic<bool> self_active_{false};
};

}  // namespace gw

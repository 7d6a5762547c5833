// Events shared by name between processes, each holding at most one signal, so that they act as
// auto-reset events: the application closer and its watcher library meet through them.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"

namespace gw {

class NamedEvent {
 public:
  NamedEvent() = default;
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;
  // An event made by create() removes its name here; one made by open() only lets go of it.
  virtual ~NamedEvent() = default;

  // Makes the event under `name` (letters and digits), not signaled. A stale event of that name,
  // left behind by a run that crashed, is replaced. RC_NOT_AVAILABLE when the system refuses.
  [[nodiscard]] static ResultCode create(const std::string& name,
                                         std::unique_ptr<NamedEvent>* event);
  // Opens the event another process created. RC_NOT_AVAILABLE when there is none by that name.
  [[nodiscard]] static ResultCode open(const std::string& name, std::unique_ptr<NamedEvent>* event);
  // True while an event of that name exists (its creator has not removed it).
  static bool exists(const std::string& name);

  // Sets the event. A signal while it is already set is lost, so signals from one thread never
  // count more than one.
  virtual void signal() = 0;
  // True when the event was set; it is reset then. Never blocks.
  [[nodiscard]] virtual bool tryTake() = 0;
};

}  // namespace gw

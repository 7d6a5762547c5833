// Where the service tells the user at this machine what happened: the tray's icon and tip, and
// bringing the management client forward.
#pragma once

#include <atomic>
#include <memory>

#include "platform/socket.h"

namespace gw {

// Owned by the service object. start() and notify() are called from the main thread only, and
// so are addTo() and serveReady(): a notifier with sockets of its own has them served in the
// main loop's one wait, beside the client server's.
// Destruction ends whatever start() began, waiting at most 100 ms for it.
class LocalNotifier : public PollParticipant {
 public:
  // Called once by the run, before the main loop. May start a thread of its own, which may set
  // `stop_requested` to stop the service (the user chose to end it, or the system is going
  // down). `stop_requested` outlives the notifier.
  virtual void start(std::atomic<bool>& stop_requested) = 0;

  // An event was detected; `event_code` is its EventCode (2 to 9). Must not block.
  virtual void notify(int event_code) = 0;
};

// A notifier that shows nothing: events are announced by the event log and their sounds only.
std::unique_ptr<LocalNotifier> createSilentNotifier();

}  // namespace gw

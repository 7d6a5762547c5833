// The watcher library's thread: one X connection following one window's pop-ups and its end.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/named_event.h"

namespace gw {

class ClientWatcher {
 public:
  // How long the thread sleeps between looks when nothing happens, and while a new window of the
  // client is not yet on screen.
  static constexpr int kIdleLookMs = 200;
  static constexpr int kPendingLookMs = 20;

  // Opens the connection and both events and starts listening, all before returning, so that
  // nothing the program does after the call is missed. RC_NOT_AVAILABLE without a display, the
  // window or the events.
  [[nodiscard]] static ResultCode start(unsigned long window,
                                        std::unique_ptr<ClientWatcher>* watcher);
  ~ClientWatcher();
  ClientWatcher(const ClientWatcher&) = delete;
  ClientWatcher& operator=(const ClientWatcher&) = delete;

  // Blocks until the window is destroyed, the closer removed its events, or the connection
  // broke.
  void run();

 private:
  ClientWatcher(Display* dpy, Window window, std::unique_ptr<NamedEvent> active,
                std::unique_ptr<NamedEvent> destroy);

  struct Tracked {
    bool viewable = false;
    bool activated = false;  // has been the active window at least once
  };

  bool ownWindow(Window w) const { return (w & ~client_mask_) == client_base_; }
  // Starts following a window of the client, without reporting it.
  void track(Window w);
  // Reports the pop-ups that came on screen since the last look; true while one is mapped but
  // not yet viewable (its frame still to come), so that it is looked at again soon.
  bool lookAtWindows();
  void lookAtActiveWindow();
  // Handles one event; false when the watch is over.
  bool handle(const XEvent& event);

  Display* dpy_;
  const Window window_;
  Window root_;
  Atom net_active_window_;
  unsigned long client_base_ = 0;
  unsigned long client_mask_ = 0;
  std::unique_ptr<NamedEvent> active_;
  std::unique_ptr<NamedEvent> destroy_;
  const std::string destroy_name_;
  std::map<Window, Tracked> windows_;  // the client's other top-level windows
  Window last_active_ = None;
};

}  // namespace gw

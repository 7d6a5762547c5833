// Closing one application window: the close request, the answers to its dialogs, and the steps
// up to ending its program when it does not close.
#pragma once

#include <cstdint>
#include <memory>

#include "closer/desktop.h"
#include "closer/saved_log.h"
#include "closer/temp_name_source.h"
#include "platform/clock.h"

namespace gw {

// One per window, run on its own thread. Everything passed in must outlive run().
class WindowCloser {
 public:
  static constexpr int64_t kFirstWaitMs = 1000;
  // How long the program is given to end after SIGTERM before it is killed.
  static constexpr int kTerminateGraceMs = 100;
  // A control meant to be visible is looked at this often, this many times, before it counts.
  static constexpr int64_t kVisibleCheckMs = 100;
  static constexpr int kVisibleChecks = 50;
  // A program that answers every dialog with a new one would keep its thread for ever; after
  // this many different pop-ups the program is ended.
  static constexpr int kMaxPopups = 16;

  WindowCloser(Desktop& desktop, Clock& clock, TempNameSource& names, SavedLog& log,
               WindowId window);
  WindowCloser(const WindowCloser&) = delete;
  WindowCloser& operator=(const WindowCloser&) = delete;

  // Asks the window to close and escalates until it is gone or its program has ended (true), or
  // until even ending the program left the window on screen (false: given up). Without any
  // dialog a program that ignores everything costs 1000 + 1000 + 500 + 200 + 100 ms.
  bool run();

 private:
  enum class Next { kWait, kSucceeded, kGaveUp };
  // What a pop-up is sent; each sets the next wait.
  enum class PopupStep { kTypeName, kTypeY, kEnter, kButton, kClose, kDestroy, kQuit, kTerminate };

  Next onActive();
  Next onDestroy();
  Next onTimeout();
  void doPopupStep(PopupStep step, WindowId popup, WindowId edit);
  // Types the next temporary file name into the edit control and records it.
  void writeTempName(WindowId edit);
  // The first child of that kind once it is really visible; kNoWindow when it never is.
  WindowId visibleChild(WindowId popup, ControlKind kind);
  // Ends the program; without a known process, its connection to the desktop is cut instead.
  void terminate();

  Desktop& desktop_;
  Clock& clock_;
  TempNameSource& names_;
  SavedLog& log_;
  const WindowId window_;
  std::unique_ptr<OtherProcess> process_;
  std::unique_ptr<WindowWatch> watch_;

  int step_ = 0;            // the escalation step of the time-out branch; -2 after terminating
  int close_count_ = 0;     // close requests sent to the window
  WindowId last_popup_ = kNoWindow;
  int popup_count_ = 0;     // how often in a row last_popup_ was handled
  int popups_seen_ = 0;     // different pop-ups handled so far
  int64_t wait_ms_ = kFirstWaitMs;
  bool terminated_ = false;
};

}  // namespace gw

// What the closer needs of a desktop: its top-level windows, their pop-ups and controls, the
// messages and keys it sends them, and the programs behind them. The X11 back-end lives in
// closer/x11/; tests use closer/testing/fake_desktop.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/other_process.h"

namespace gw {

// A window handle of the desktop; 0 is no window.
using WindowId = uint64_t;
inline constexpr WindowId kNoWindow = 0;

// The requests the closer escalates through.
enum class WindowMessage {
  kQueryEndSession,  // the system is ending the session: may it close?
  kClose,            // close this window, as its close button would
  kDestroy,          // the window is destroyed whether its program agrees or not
  kQuit,             // the program's connection to the desktop is cut
};

enum class ControlKind { kEdit, kButton };

// Why a WindowWatch::wait returned, in the order of precedence when several hold at once.
enum class WakeReason { kActive, kDestroy, kProcessEnded, kTimeout };

// The two events of one window being closed (a pop-up became active; the window is being
// destroyed) and the end of its process, waited for together. Used by one thread.
class WindowWatch {
 public:
  WindowWatch() = default;
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  virtual ~WindowWatch() = default;

  // Returns as soon as one of them holds, or kTimeout after timeout_ms (0: look once). An
  // event that woke the wait is reset; the process's end stays.
  [[nodiscard]] virtual WakeReason wait(int64_t timeout_ms) = 0;
  // Sets the active event, as the watcher does when a pop-up appears.
  virtual void signalActive() = 0;
};

// Every call may come from any of the closer's window threads at the same time. Calls on a
// window that is gone do nothing and report "no" (false, kNoWindow, empty).
class Desktop {
 public:
  Desktop() = default;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  virtual ~Desktop() = default;

  // The visible main windows of the applications, in the desktop's order.
  virtual std::vector<WindowId> topLevelWindows() = 0;
  virtual bool exists(WindowId window) = 0;
  // The window's title, as it stands now.
  virtual std::string title(WindowId window) = 0;
  // The pop-up (dialog, message box) of `window` that was shown last and is still visible;
  // `window` itself when it has none.
  virtual WindowId lastActivePopup(WindowId window) = 0;
  // The first child of `popup` of that kind that is meant to be visible (it may not be drawn
  // yet); kNoWindow when there is none.
  virtual WindowId findChild(WindowId popup, ControlKind kind) = 0;
  // Whether the control is really on screen now.
  virtual bool isVisible(WindowId control) = 0;
  // The control that takes the keyboard first in `popup`; kNoWindow when it has none.
  virtual WindowId firstControl(WindowId popup) = 0;

  virtual void post(WindowId target, WindowMessage message) = 0;
  // Types the characters into the control, as one uninterrupted sequence.
  virtual void typeText(WindowId control, const std::string& text) = 0;
  // Presses and releases the Enter key in the window.
  virtual void pressEnter(WindowId target) = 0;
  // Presses the button of the pop-up.
  virtual void pressButton(WindowId popup, WindowId button) = 0;

  // The program that owns the window; null when the desktop cannot tell.
  virtual std::unique_ptr<OtherProcess> openProcess(WindowId window) = 0;
  // Creates the window's two events, starts the watcher on the window, and returns them with
  // `process` (may be null; must outlive the watch) to wait on. Never null: events that could
  // not be made are simply never set, and the closer proceeds on its time-outs.
  virtual std::unique_ptr<WindowWatch> openWatch(WindowId window, OtherProcess* process) = 0;
};

}  // namespace gw

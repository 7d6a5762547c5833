// The closer's desktop on an X display, through ICCCM and EWMH as the window manager keeps
// them. closer/README.md lists how each request maps onto X.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "closer/desktop.h"
#include "closer/x11/x11_input.h"
#include "closer/x11/x11_properties.h"
#include "common/result_code.h"
#include "platform/clock.h"

namespace gw {

// One display connection shared by every window thread (Xlib serialises each call). Requests
// on windows that vanish raise protocol errors, so the process must have an error handler that
// ignores them (sweeper's main installs one) and never the default, which exits.
class X11Desktop final : public Desktop {
 public:
  // Opens the display named by $DISPLAY. RC_NOT_AVAILABLE when there is none. `clock` must
  // outlive the desktop.
  [[nodiscard]] static ResultCode open(Clock& clock, std::unique_ptr<X11Desktop>* desktop);
  ~X11Desktop() override;

  // Whether a title names a save dialog: it starts with "save", in any case, and asks no
  // question ("Save As", "Save File", but not "Save changes?").
  static bool isSaveDialogTitle(const std::string& title);

  std::vector<WindowId> topLevelWindows() override;
  bool exists(WindowId window) override;
  std::string title(WindowId window) override;
  WindowId lastActivePopup(WindowId window) override;
  WindowId findChild(WindowId popup, ControlKind kind) override;
  bool isVisible(WindowId control) override;
  WindowId firstControl(WindowId popup) override;
  void post(WindowId target, WindowMessage message) override;
  void typeText(WindowId control, const std::string& text) override;
  void pressEnter(WindowId target) override;
  void pressButton(WindowId popup, WindowId button) override;
  std::unique_ptr<OtherProcess> openProcess(WindowId window) override;
  std::unique_ptr<WindowWatch> openWatch(WindowId window, OtherProcess* process) override;

 private:
  X11Desktop(Display* dpy, Clock& clock);

  // The managed windows, oldest first, or the root's children when no manager lists them.
  std::vector<Window> managedWindows();
  // Depth first through the children of `w`, in the order they were made: the first that is
  // mapped and whose class names contain `part` (any class when `part` is empty).
  Window findDescendant(Window w, const char* part, bool need_viewable, int depth);
  void requestClose(Window target);

  Display* dpy_;
  Clock& clock_;
  X11Properties properties_;
  X11Input input_;
};

}  // namespace gw

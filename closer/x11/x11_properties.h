// Reading the ICCCM and EWMH properties the closer goes by: the window manager's client list,
// window types, titles, classes, protocols, and the process behind a window.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

// Stateless apart from the interned atoms; safe to share between threads on a display opened
// after XInitThreads.
class X11Properties {
 public:
  explicit X11Properties(Display* dpy);
  X11Properties(const X11Properties&) = delete;
  X11Properties& operator=(const X11Properties&) = delete;

  // The managed windows, oldest first (_NET_CLIENT_LIST); empty without a window manager.
  std::vector<Window> clientList() const;
  // The root's children, bottom of the stack first: the windows when no manager keeps a list.
  std::vector<Window> rootChildren() const;
  // Children of `w`, bottom of the stack first (for child windows: in the order made).
  std::vector<Window> children(Window w) const;

  // True when _NET_WM_WINDOW_TYPE names a utility, toolbar, dock or desktop window: helpers of
  // an application or of the desktop, not applications of their own.
  bool isHelperWindow(Window w) const;
  bool isOverrideRedirect(Window w) const;
  // _NET_WM_NAME, else WM_NAME, as UTF-8; empty when it has none.
  std::string title(Window w) const;
  // WM_CLASS's instance and class names; false when it has none.
  bool windowClass(Window w, std::string* instance, std::string* cls) const;
  bool supportsDelete(Window w) const;  // WM_DELETE_WINDOW in WM_PROTOCOLS
  bool managerSupports(Atom atom) const;  // the atom is in the root's _NET_SUPPORTED
  // The process id from the X-Resource extension; else _NET_WM_PID when WM_CLIENT_MACHINE says
  // the program runs on this machine. -1 when neither tells.
  int64_t processId(Window w) const;

  Atom wmProtocols() const { return wm_protocols_; }
  Atom wmDeleteWindow() const { return wm_delete_window_; }
  Atom netCloseWindow() const { return net_close_window_; }

 private:
  std::vector<unsigned long> cardinals(Window w, Atom property, Atom type) const;

  Display* dpy_;
  Window root_;
  Atom wm_protocols_, wm_delete_window_, net_close_window_, net_client_list_, net_supported_;
  Atom net_wm_name_, utf8_string_, net_wm_pid_, net_wm_window_type_;
  Atom helper_types_[4];
};

}  // namespace gw

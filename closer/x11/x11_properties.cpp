// Property reads with Xlib; a window that vanished simply reads as having no property.
#include "closer/x11/x11_properties.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <algorithm>

#include "platform/local_identity.h"

namespace gw {

X11Properties::X11Properties(Display* dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {
  const char* names[] = {"WM_PROTOCOLS",
                         "WM_DELETE_WINDOW",
                         "_NET_CLOSE_WINDOW",
                         "_NET_CLIENT_LIST",
                         "_NET_SUPPORTED",
                         "_NET_WM_NAME",
                         "UTF8_STRING",
                         "_NET_WM_PID",
                         "_NET_WM_WINDOW_TYPE",
                         "_NET_WM_WINDOW_TYPE_UTILITY",
                         "_NET_WM_WINDOW_TYPE_TOOLBAR",
                         "_NET_WM_WINDOW_TYPE_DOCK",
                         "_NET_WM_WINDOW_TYPE_DESKTOP"};
  Atom atoms[13];
  XInternAtoms(dpy, const_cast<char**>(names), 13, False, atoms);
  wm_protocols_ = atoms[0];
  wm_delete_window_ = atoms[1];
  net_close_window_ = atoms[2];
  net_client_list_ = atoms[3];
  net_supported_ = atoms[4];
  net_wm_name_ = atoms[5];
  utf8_string_ = atoms[6];
  net_wm_pid_ = atoms[7];
  net_wm_window_type_ = atoms[8];
  std::copy(atoms + 9, atoms + 13, helper_types_);
}

std::vector<unsigned long> X11Properties::cardinals(Window w, Atom property, Atom type) const {
  std::vector<unsigned long> out;
  Atom actual = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, w, property, 0, 65536, False, type, &actual, &format, &n, &after,
                         &data) == Success && data) {
    // Xlib hands 32-bit items back as longs, whatever the width of long.
    if (format == 32) {
      const auto* items = reinterpret_cast<const unsigned long*>(data);
      out.assign(items, items + n);
    }
    XFree(data);
  }
  return out;
}

std::vector<Window> X11Properties::clientList() const {
  auto ids = cardinals(root_, net_client_list_, XA_WINDOW);
  return {ids.begin(), ids.end()};
}

std::vector<Window> X11Properties::rootChildren() const { return children(root_); }

std::vector<Window> X11Properties::children(Window w) const {
  std::vector<Window> out;
  Window root = None, parent = None, *kids = nullptr;
  unsigned int count = 0;
  if (XQueryTree(dpy_, w, &root, &parent, &kids, &count) != 0 && kids) {
    out.assign(kids, kids + count);
    XFree(kids);
  }
  return out;
}

bool X11Properties::isHelperWindow(Window w) const {
  for (unsigned long type : cardinals(w, net_wm_window_type_, XA_ATOM)) {
    for (Atom helper : helper_types_) {
      if (type == helper) return true;
    }
  }
  return false;
}

bool X11Properties::isOverrideRedirect(Window w) const {
  XWindowAttributes a;
  return XGetWindowAttributes(dpy_, w, &a) != 0 && a.override_redirect;
}

std::string X11Properties::title(Window w) const {
  Atom actual = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(dpy_, w, net_wm_name_, 0, 1024, False, utf8_string_, &actual, &format,
                         &n, &after, &data) == Success && data) {
    if (format == 8) out.assign(reinterpret_cast<const char*>(data), n);
    XFree(data);
  }
  if (!out.empty()) return out;
  XTextProperty prop{};
  if (XGetWMName(dpy_, w, &prop) == 0 || !prop.value) return out;
  char** list = nullptr;
  int count = 0;
  if (Xutf8TextPropertyToTextList(dpy_, &prop, &list, &count) >= Success && list) {
    if (count > 0 && list[0]) out = list[0];
    XFreeStringList(list);
  }
  XFree(prop.value);
  return out;
}

bool X11Properties::windowClass(Window w, std::string* instance, std::string* cls) const {
  XClassHint hint{};
  if (XGetClassHint(dpy_, w, &hint) == 0) return false;
  *instance = hint.res_name ? hint.res_name : "";
  *cls = hint.res_class ? hint.res_class : "";
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return true;
}

bool X11Properties::supportsDelete(Window w) const {
  Atom* protocols = nullptr;
  int count = 0;
  bool found = false;
  if (XGetWMProtocols(dpy_, w, &protocols, &count) != 0 && protocols) {
    found = std::find(protocols, protocols + count, wm_delete_window_) != protocols + count;
    XFree(protocols);
  }
  return found;
}

bool X11Properties::managerSupports(Atom atom) const {
  for (unsigned long a : cardinals(root_, net_supported_, XA_ATOM)) {
    if (a == atom) return true;
  }
  return false;
}

int64_t X11Properties::processId(Window w) const {
  // The server knows the peer of a local connection for certain; a program's own claim is
  // believed only for this machine, as a remote program's id names a process elsewhere.
  XResClientIdSpec spec{w, XRES_CLIENT_ID_PID_MASK};
  long count = 0;
  XResClientIdValue* values = nullptr;
  int64_t pid = -1;
  if (XResQueryClientIds(dpy_, 1, &spec, &count, &values) == Success && values) {
    for (long i = 0; i < count && pid <= 0; ++i) pid = XResGetClientPid(&values[i]);
    XResClientIdsDestroy(count, values);
  }
  if (pid > 0) return pid;
  XTextProperty machine{};
  std::string host;
  if (XGetWMClientMachine(dpy_, w, &machine) != 0 && machine.value) {
    host.assign(reinterpret_cast<const char*>(machine.value), machine.nitems);
    XFree(machine.value);
  }
  if (host.empty() || host != hostName()) return -1;
  auto claimed = cardinals(w, net_wm_pid_, XA_CARDINAL);
  return claimed.empty() ? -1 : static_cast<int64_t>(claimed.front());
}

}  // namespace gw

// Small facts about X windows that both the desktop and the watcher library need: list
// properties and children, whether a window is on screen, whose pop-up it is, and which client
// made it. Header-only, so the watcher library uses them without linking the desktop.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <vector>

namespace gw::x11 {

// The server's default split of resource ids into client and resource bits, used when the
// X-Resource extension cannot tell.
inline constexpr unsigned long kDefaultResourceMask = 0x1FFFFF;

// The 32-bit items of a list property of `type` (window ids, atoms, cardinals); empty when `w`
// has no such property or is gone.
inline std::vector<unsigned long> listProperty(Display* dpy, Window w, Atom property, Atom type) {
  std::vector<unsigned long> out;
  Atom actual = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, property, 0, 65536, False, type, &actual, &format, &n, &after,
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

// The children of `w`, bottom of the stack first; empty when it has none or is gone.
inline std::vector<Window> childrenOf(Display* dpy, Window w) {
  std::vector<Window> out;
  Window root = None, parent = None, *kids = nullptr;
  unsigned int count = 0;
  if (XQueryTree(dpy, w, &root, &parent, &kids, &count) != 0 && kids) {
    out.assign(kids, kids + count);
    XFree(kids);
  }
  return out;
}

// Mapped, and every ancestor mapped too.
inline bool isViewable(Display* dpy, Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(dpy, w, &a) != 0 && a.map_state == IsViewable;
}

// The window's WM_TRANSIENT_FOR, or None.
inline Window transientFor(Display* dpy, Window w) {
  Window owner = None;
  if (!XGetTransientForHint(dpy, w, &owner)) return None;
  return owner;
}

// True when `w` is a pop-up of `owner`: its WM_TRANSIENT_FOR chain reaches `owner`.
inline bool isPopupOf(Display* dpy, Window w, Window owner) {
  Window at = w;
  for (int depth = 0; depth < 16 && at != None; ++depth) {  // the bound ends a looping chain
    Window up = transientFor(dpy, at);
    if (up == owner) return w != owner;
    if (up == at) return false;
    at = up;
  }
  return false;
}

// The id bits that name the client which created `w` (its resource base), and the mask that
// separates them. Windows of one client share the base.
inline void clientOf(Display* dpy, Window w, unsigned long* base, unsigned long* mask) {
  *mask = kDefaultResourceMask;
  int count = 0;
  XResClient* clients = nullptr;
  // The call answers a true Status on success, not Success; the list it filled is ours to free
  // whatever it answered.
  (void)XResQueryClients(dpy, &count, &clients);
  if (clients) {
    for (int i = 0; i < count; ++i) {
      if ((w & ~clients[i].resource_mask) == clients[i].resource_base) {
        *mask = clients[i].resource_mask;
        break;
      }
    }
    XFree(clients);
  }
  *base = w & ~*mask;
}

}  // namespace gw::x11

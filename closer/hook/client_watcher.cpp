// Following one window's client: its other top-level windows coming on screen (seen through
// CreateNotify on the root and MapNotify on each), activation through _NET_ACTIVE_WINDOW, and
// the end through the window's own DestroyNotify.
#include "closer/hook/client_watcher.h"

#include <X11/Xatom.h>

#include <vector>

#include "closer/event_names.h"
#include "closer/x11/x11_window_facts.h"
#include "platform/socket.h"

namespace gw {
namespace {

// The display connection as something the platform's poll set can wait on.
class DisplaySocket : public PollableSocket {
 public:
  explicit DisplaySocket(Display* dpy) : fd_(ConnectionNumber(dpy)) {}
  intptr_t pollHandle() const override { return fd_; }

 private:
  int fd_;
};

std::vector<Window> windowListProperty(Display* dpy, Window root, Atom property) {
  std::vector<Window> out;
  Atom type = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, root, property, 0, 65536, False, XA_WINDOW, &type, &format, &n,
                         &after, &data) == Success && data) {
    if (format == 32) {
      const auto* ids = reinterpret_cast<const unsigned long*>(data);
      out.assign(ids, ids + n);
    }
    XFree(data);
  }
  return out;
}

}  // namespace

ResultCode ClientWatcher::start(unsigned long window, std::unique_ptr<ClientWatcher>* watcher) {
  std::unique_ptr<NamedEvent> active, destroy;
  if (NamedEvent::open(activeEventName(window), &active) != RC_OK ||
      NamedEvent::open(destroyEventName(window), &destroy) != RC_OK) {
    return RC_NOT_AVAILABLE;
  }
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return RC_NOT_AVAILABLE;
  std::unique_ptr<ClientWatcher> w(
      new ClientWatcher(dpy, window, std::move(active), std::move(destroy)));
  XSelectInput(dpy, w->root_, PropertyChangeMask | SubstructureNotifyMask);
  XSelectInput(dpy, window, StructureNotifyMask);
  // The round trip makes both selections take effect before we return; a window that is gone
  // already fails here.
  XWindowAttributes a;
  if (XGetWindowAttributes(dpy, window, &a) == 0) return RC_NOT_AVAILABLE;
  x11::clientOf(dpy, window, &w->client_base_, &w->client_mask_);
  // What is on screen already is the starting state, not news: the window manager's client list
  // holds the managed windows, the root's children the rest.
  for (Window c : windowListProperty(dpy, w->root_, XInternAtom(dpy, "_NET_CLIENT_LIST", False))) {
    w->track(c);
  }
  Window root_ret = None, parent = None, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(dpy, w->root_, &root_ret, &parent, &children, &count) != 0 && children) {
    for (unsigned int i = 0; i < count; ++i) w->track(children[i]);
    XFree(children);
  }
  for (auto& [id, t] : w->windows_) t.viewable = x11::isViewable(dpy, id);
  w->lookAtActiveWindow();
  *watcher = std::move(w);
  return RC_OK;
}

ClientWatcher::ClientWatcher(Display* dpy, Window window, std::unique_ptr<NamedEvent> active,
                             std::unique_ptr<NamedEvent> destroy)
    : dpy_(dpy),
      window_(window),
      root_(DefaultRootWindow(dpy)),
      net_active_window_(XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False)),
      active_(std::move(active)),
      destroy_(std::move(destroy)),
      destroy_name_(destroyEventName(window)) {}

ClientWatcher::~ClientWatcher() { XCloseDisplay(dpy_); }

void ClientWatcher::track(Window w) {
  if (w == window_ || !ownWindow(w) || windows_.count(w)) return;
  // Selecting on it brings its MapNotify and UnmapNotify, so it is looked at as it comes and
  // goes; a dialog that is hidden and shown again counts each time.
  XSelectInput(dpy_, w, StructureNotifyMask);
  windows_[w] = Tracked{};
}

bool ClientWatcher::lookAtWindows() {
  bool mapping = false;
  for (auto it = windows_.begin(); it != windows_.end();) {
    XWindowAttributes a;
    if (XGetWindowAttributes(dpy_, it->first, &a) == 0) {
      it = windows_.erase(it);
      continue;
    }
    const bool viewable = a.map_state == IsViewable;
    if (a.map_state == IsUnviewable) mapping = true;
    if (viewable && !it->second.viewable && x11::isPopupOf(dpy_, it->first, window_)) {
      active_->signal();
    }
    it->second.viewable = viewable;
    ++it;
  }
  return mapping;
}

void ClientWatcher::lookAtActiveWindow() {
  const std::vector<Window> now_list = windowListProperty(dpy_, root_, net_active_window_);
  const Window now = now_list.empty() ? None : now_list.front();
  if (now == last_active_) return;  // the property is often rewritten unchanged
  last_active_ = now;
  auto it = windows_.find(now);
  if (it == windows_.end()) return;
  // A pop-up's first activation comes with its appearance, which lookAtWindows reports; only an
  // activation after another window was active is news of its own.
  const bool again = it->second.activated;
  it->second.activated = true;
  if (again && x11::isPopupOf(dpy_, now, window_)) active_->signal();
}

bool ClientWatcher::handle(const XEvent& e) {
  switch (e.type) {
    case DestroyNotify:
      if (e.xdestroywindow.window == window_) {
        destroy_->signal();
        return false;
      }
      windows_.erase(e.xdestroywindow.window);
      break;
    case CreateNotify:
      if (e.xcreatewindow.parent == root_) track(e.xcreatewindow.window);
      break;
    case PropertyNotify:
      if (e.xproperty.window == root_ && e.xproperty.atom == net_active_window_) {
        (void)lookAtWindows();  // an activation may be the first news of a new pop-up
        lookAtActiveWindow();
      }
      break;
    default:
      break;
  }
  return true;
}

void ClientWatcher::run() {
  DisplaySocket connection(dpy_);
  std::unique_ptr<PollSet> poll = createPollSet();
  for (;;) {
    while (XPending(dpy_) > 0) {
      XEvent e;
      XNextEvent(dpy_, &e);
      if (!handle(e)) return;
    }
    const bool mapping = lookAtWindows();
    XFlush(dpy_);
    poll->clear();
    const size_t slot = poll->add(connection, true, false);
    const ResultCode r = poll->wait(mapping ? kPendingLookMs : kIdleLookMs);
    if (r == RC_OK && poll->broken(slot)) return;  // the display went away
    if (r == RC_TIMEOUT && !NamedEvent::exists(destroy_name_)) return;  // the closer is done
  }
}

}  // namespace gw

// The closer's window operations on X.
#include "closer/x11/x11_desktop.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cctype>

#include "closer/event_names.h"
#include "closer/event_watch.h"
#include "closer/hook/cbt_hook.h"
#include "closer/x11/x11_window_facts.h"
#include "platform/named_event.h"

namespace gw {
namespace {

constexpr int kMaxChildDepth = 8;  // deep enough for any dialog's controls

}  // namespace

ResultCode X11Desktop::open(Clock& clock, std::unique_ptr<X11Desktop>* desktop) {
  XInitThreads();
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return RC_NOT_AVAILABLE;
  desktop->reset(new X11Desktop(dpy, clock));
  return RC_OK;
}

X11Desktop::X11Desktop(Display* dpy, Clock& clock)
    : dpy_(dpy), clock_(clock), properties_(dpy), input_(dpy, clock) {}

X11Desktop::~X11Desktop() { XCloseDisplay(dpy_); }

bool X11Desktop::isSaveDialogTitle(const std::string& title) {
  std::string lower(title.size(), ' ');
  std::transform(title.begin(), title.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.rfind("save", 0) == 0 && lower.find('?') == std::string::npos;
}

std::vector<Window> X11Desktop::managedWindows() {
  std::vector<Window> list = properties_.clientList();
  if (list.empty()) list = properties_.rootChildren();
  return list;
}

std::vector<WindowId> X11Desktop::topLevelWindows() {
  const bool managed = !properties_.clientList().empty();
  std::vector<WindowId> out;
  for (Window w : managedWindows()) {
    if (!x11::isViewable(dpy_, w) || x11::transientFor(dpy_, w) != None) continue;
    if (properties_.isHelperWindow(w)) continue;
    // Without a manager the root's children include menus and tooltips, which redirect.
    if (!managed && properties_.isOverrideRedirect(w)) continue;
    out.push_back(w);
  }
  return out;
}

bool X11Desktop::exists(WindowId window) {
  XWindowAttributes a;
  return XGetWindowAttributes(dpy_, window, &a) != 0;
}

std::string X11Desktop::title(WindowId window) { return properties_.title(window); }

WindowId X11Desktop::lastActivePopup(WindowId window) {
  const std::vector<Window> list = managedWindows();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (x11::isPopupOf(dpy_, *it, window) && x11::isViewable(dpy_, *it)) return *it;
  }
  return window;
}

Window X11Desktop::findDescendant(Window w, const char* part, bool need_viewable, int depth) {
  if (depth > kMaxChildDepth) return None;
  for (Window c : properties_.children(w)) {
    XWindowAttributes a;
    if (XGetWindowAttributes(dpy_, c, &a) == 0 || a.map_state == IsUnmapped) continue;
    if (need_viewable && a.map_state != IsViewable) continue;
    std::string instance, cls;
    if (properties_.windowClass(c, &instance, &cls) &&
        (instance.find(part) != std::string::npos || cls.find(part) != std::string::npos)) {
      return c;
    }
    const Window below = findDescendant(c, part, need_viewable, depth + 1);
    if (below != None) return below;
  }
  return None;
}

WindowId X11Desktop::findChild(WindowId popup, ControlKind kind) {
  const char* part = kind == ControlKind::kEdit ? "Edit" : "Button";
  const Window found = findDescendant(popup, part, false, 0);
  if (found != None) return found;
  // Toolkits that draw their own controls have no child windows to find; their save dialog
  // sends what is typed into it to its focused file name field, so the dialog stands for it.
  if (kind == ControlKind::kEdit && isSaveDialogTitle(properties_.title(popup))) return popup;
  return kNoWindow;
}

bool X11Desktop::isVisible(WindowId control) { return x11::isViewable(dpy_, control); }

WindowId X11Desktop::firstControl(WindowId popup) {
  return findDescendant(popup, "", true, 0);
}

void X11Desktop::requestClose(Window target) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.format = 32;
  if (properties_.supportsDelete(target)) {
    e.xclient.window = target;
    e.xclient.message_type = properties_.wmProtocols();
    e.xclient.data.l[0] = static_cast<long>(properties_.wmDeleteWindow());
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, target, False, NoEventMask, &e);
  } else if (properties_.managerSupports(properties_.netCloseWindow())) {
    // The manager closes a window that does not speak the protocol its own way.
    e.xclient.window = target;
    e.xclient.message_type = properties_.netCloseWindow();
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = 2;  // a request from a pager-like tool, not from the program
    XSendEvent(dpy_, DefaultRootWindow(dpy_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
  }
}

void X11Desktop::post(WindowId target, WindowMessage message) {
  switch (message) {
    case WindowMessage::kQueryEndSession:
    case WindowMessage::kClose:
      requestClose(target);
      break;
    case WindowMessage::kDestroy:
      XDestroyWindow(dpy_, target);
      break;
    case WindowMessage::kQuit:
      XKillClient(dpy_, target);
      break;
  }
  XFlush(dpy_);
}

void X11Desktop::typeText(WindowId control, const std::string& text) { input_.type(control, text); }

void X11Desktop::pressEnter(WindowId target) { input_.pressKey(target, XK_Return); }

void X11Desktop::pressButton(WindowId, WindowId button) { input_.click(button); }

std::unique_ptr<OtherProcess> X11Desktop::openProcess(WindowId window) {
  std::unique_ptr<OtherProcess> process;
  if (OtherProcess::open(properties_.processId(window), &process) != RC_OK) return nullptr;
  return process;
}

std::unique_ptr<WindowWatch> X11Desktop::openWatch(WindowId window, OtherProcess* process) {
  std::unique_ptr<NamedEvent> active, destroy;
  // An event the system refuses is simply never set; the time-outs carry the closing then.
  (void)NamedEvent::create(activeEventName(window), &active);
  (void)NamedEvent::create(destroyEventName(window), &destroy);
  (void)CBTHook_Start(static_cast<unsigned long>(window));
  return std::make_unique<EventWatch>(std::move(active), std::move(destroy), process, clock_);
}

}  // namespace gw

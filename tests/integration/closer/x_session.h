// A private X session for tests: an Xvfb server on a free display and a real window manager,
// both ended by their ids, plus the looks at the display the tests need.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "testing/temp_dir.h"

namespace gw {

class XSession {
 public:
  // Starts Xvfb (which picks its own free display number and tells it on a pipe) and jwm with
  // a minimal configuration in `dir`. ok() tells whether both came up.
  explicit XSession(const TempDir& dir) {
    SpawnOptions x;
    x.program = "/usr/bin/Xvfb";
    x.args = {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
    x.pipe_stdout = true;
    if (spawnProcess(x, &server_) != RC_OK) return;
    std::unique_ptr<Pipe> out = server_->takeStdout();
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      char buf[16];
      size_t got = 0;
      if (out->read(buf, sizeof buf, 200, &got) == RC_OK) number.append(buf, got);
    }
    if (number.find('\n') == std::string::npos) return;
    display_ = ":" + number.substr(0, number.find('\n'));
    dpy_ = XOpenDisplay(display_.c_str());
    if (!dpy_) return;

    dir.write("jwmrc", "<?xml version=\"1.0\"?>\n<JWM><FocusModel>click</FocusModel></JWM>\n");
    SpawnOptions wm;
    wm.program = "/usr/bin/jwm";
    wm.args = {"-f", dir.file("jwmrc")};
    wm.extra_env = env();
    if (spawnProcess(wm, &manager_) != RC_OK) return;
    // The manager is ready once it announces itself on the root window.
    const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
    for (int i = 0; i < 200 && !ready_; ++i) {
      ready_ = !windows(check, XA_WINDOW).empty();
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~XSession() {
    if (dpy_) XCloseDisplay(dpy_);
    for (ChildProcess* p : {manager_.get(), server_.get()}) {
      if (!p) continue;
      p->requestStop();
      int code = 0;
      if (p->wait(3000, &code) != RC_OK) p->terminate();
    }
  }
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  bool ok() const { return ready_; }
  const std::string& display() const { return display_; }
  Display* dpy() const { return dpy_; }
  std::map<std::string, std::string> env() const { return {{"DISPLAY", display_}}; }

  // Every window the manager keeps (_NET_CLIENT_LIST): main windows and dialogs.
  std::vector<Window> clients() const {
    return windows(XInternAtom(dpy_, "_NET_CLIENT_LIST", False), XA_WINDOW);
  }
  // Waits until the manager keeps exactly `count` windows.
  bool waitForClients(size_t count, int timeout_ms = 10000) const {
    for (int waited = 0; waited <= timeout_ms; waited += 50) {
      if (clients().size() == count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // A client window by its title, or None.
  Window findByTitle(const std::string& title) const {
    for (Window w : clients()) {
      char* name = nullptr;
      if (XFetchName(dpy_, w, &name) && name) {
        const bool same = title == name;
        XFree(name);
        if (same) return w;
      }
    }
    return None;
  }

 private:
  std::vector<Window> windows(Atom property, Atom type) const {
    std::vector<Window> out;
    Atom actual = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, DefaultRootWindow(dpy_), property, 0, 4096, False, type,
                           &actual, &format, &n, &after, &data) == Success && data) {
      const auto* ids = reinterpret_cast<const unsigned long*>(data);
      if (format == 32) out.assign(ids, ids + n);
      XFree(data);
    }
    return out;
  }

  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> manager_;
  std::string display_;
  Display* dpy_ = nullptr;
  bool ready_ = false;
};

}  // namespace gw

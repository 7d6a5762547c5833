// A private X session for tests: an Xvfb server on a free display and a real window manager,
// both ended by their ids, plus the looks at the display the tests need. The manager can have
// a tray (a dock for tray icons) and can be restarted, as a desktop's panel sometimes is.
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

// jwm with click focus and nothing else.
inline constexpr const char* kPlainJwmConfig =
    "<?xml version=\"1.0\"?>\n<JWM><FocusModel>click</FocusModel></JWM>\n";
// jwm with a 32-pixel tray along the bottom of the screen that holds tray icons.
inline constexpr const char* kTrayJwmConfig =
    "<?xml version=\"1.0\"?>\n<JWM><FocusModel>click</FocusModel>\n"
    "<Tray x=\"0\" y=\"-1\" height=\"32\" autohide=\"off\"><Spacer width=\"8\"/><Dock/></Tray>\n"
    "<TrayStyle><Background>#404040</Background></TrayStyle>\n"
    "<Desktops><Background type=\"solid\">#5a7896</Background></Desktops></JWM>\n";

class XSession {
 public:
  // Starts Xvfb (which picks its own free display number and tells it on a pipe) and jwm with
  // `jwm_config` written to `dir`. ok() tells whether both came up.
  explicit XSession(const TempDir& dir, const std::string& jwm_config = kPlainJwmConfig)
      : config_path_(dir.file("jwmrc")) {
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

    dir.write("jwmrc", jwm_config);
    ready_ = startManager();
  }
  ~XSession() {
    if (dpy_) XCloseDisplay(dpy_);
    endManager();
    end(server_.get());
  }
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  bool ok() const { return ready_; }
  // Ends the manager, waits until its announcement is gone, and starts it again.
  bool restartManager() {
    endManager();
    const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
    for (int i = 0; i < 100 && !windows(check, XA_WINDOW).empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ready_ = startManager();
    return ready_;
  }
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
  bool startManager() {
    SpawnOptions wm;
    wm.program = "/usr/bin/jwm";
    wm.args = {"-f", config_path_};
    wm.extra_env = env();
    if (spawnProcess(wm, &manager_) != RC_OK) return false;
    // The manager is ready once it announces itself on the root window.
    const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
    for (int i = 0; i < 200; ++i) {
      if (!windows(check, XA_WINDOW).empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void endManager() {
    end(manager_.get());
    manager_.reset();
  }
  static void end(ChildProcess* p) {
    if (!p) return;
    p->requestStop();
    int code = 0;
    if (p->wait(3000, &code) != RC_OK) p->terminate();
  }

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

  std::string config_path_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> manager_;
  std::string display_;
  Display* dpy_ = nullptr;
  bool ready_ = false;
};

}  // namespace gw

// A scripted desktop for the closer's logic tests: applications with main windows, pop-ups and
// controls that react to what the closer sends them, every action stamped on a fake clock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "closer/desktop.h"
#include "testing/fake_clock.h"

namespace gw {

struct FakeAction {
  int64_t at_ms = 0;  // since the desktop was made
  WindowId target = kNoWindow;
  // "query end session", "close", "destroy", "quit", "type", "enter", "button", "terminate"
  std::string what;
  std::string text;  // the typed text; for "button" the button's id
};

class FakeDesktop : public Desktop {
 public:
  struct Control {
    WindowId id = kNoWindow;
    std::string cls;           // its class name: "Edit", "Button", "Static"...
    int invisible_checks = 0;  // isVisible() answers false this often first; -1: always
  };
  struct Popup {
    WindowId id = kNoWindow;
    std::vector<Control> controls;  // in tab order
  };
  // Called, with the desktop locked, for every action aimed at one of the app's windows.
  using Reaction = std::function<void(FakeDesktop& desktop, WindowId app, const FakeAction& a)>;

  explicit FakeDesktop(FakeClock& clock) : clock_(clock), start_(clock.nowMs()) {}

  // An application whose main window is `main`; its process is known unless `has_process` is
  // false, and a terminate ends it unless `killable` is false.
  void addApp(WindowId main, std::string title, Reaction react, bool killable = true,
              bool has_process = true) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    App& app = apps_[main];
    app.title = std::move(title);
    app.react = std::move(react);
    app.killable = killable;
    app.has_process = has_process;
    order_.push_back(main);
    live_.insert(main);
    owners_[main] = main;
  }
  // Whether the watcher library signals pop-ups and destruction (off: time-outs alone).
  void setWatcherSignals(bool on) { signals_ = on; }
  // A held app's watch blocks in wait() until it is released.
  void hold(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    apps_[app].held = true;
  }
  void release(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    apps_[app].held = false;
    changed_.notify_all();
  }

  // For reactions and tests.
  void showPopup(WindowId app, Popup popup) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    live_.insert(popup.id);
    owners_[popup.id] = app;
    for (const Control& c : popup.controls) {
      live_.insert(c.id);
      owners_[c.id] = app;
    }
    apps_[app].popups.push_back(std::move(popup));
    if (signals_) apps_[app].active_pending = true;
  }
  void closePopup(WindowId app, WindowId popup) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto& popups = apps_[app].popups;
    for (auto it = popups.begin(); it != popups.end(); ++it) {
      if (it->id != popup) continue;
      for (const Control& c : it->controls) live_.erase(c.id);
      popups.erase(it);
      break;
    }
    live_.erase(popup);
  }
  // The main window goes (the watcher tells); the process lives on.
  void destroyMain(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    live_.erase(app);
    if (signals_) apps_[app].destroy_pending = true;
  }
  // The program ends with all its windows.
  void endApp(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    App& a = apps_[app];
    while (!a.popups.empty()) closePopup(app, a.popups.back().id);
    destroyMain(app);
    a.ended = true;
    changed_.notify_all();
  }

  std::vector<FakeAction> actions() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return actions_;
  }
  // The actions aimed at the app's windows, in order.
  std::vector<FakeAction> actionsOf(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<FakeAction> out;
    for (const auto& [a, owner] : action_owner_) {
      if (owner == app) out.push_back(actions_[a]);
    }
    return out;
  }
  // How many windows are being closed now (their watch is open), and the most at any time.
  int busy() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return busy_;
  }
  int maxBusy() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return max_busy_;
  }
  bool processEnded(WindowId app) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return apps_[app].ended;
  }

  // Desktop.
  std::vector<WindowId> topLevelWindows() override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return order_;
  }
  bool exists(WindowId w) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return live_.count(w) > 0;
  }
  std::string title(WindowId w) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return apps_.count(w) && live_.count(w) ? apps_[w].title : "";
  }
  WindowId lastActivePopup(WindowId w) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!apps_.count(w) || !live_.count(w) || apps_[w].popups.empty()) return w;
    return apps_[w].popups.back().id;
  }
  WindowId findChild(WindowId popup, ControlKind kind) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const char* part = kind == ControlKind::kEdit ? "Edit" : "Button";
    Popup* p = findPopup(popup);
    if (!p) return kNoWindow;
    for (const Control& c : p->controls) {
      if (c.cls.find(part) != std::string::npos) return c.id;
    }
    return kNoWindow;
  }
  bool isVisible(WindowId control) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (auto& [id, app] : apps_) {
      for (Popup& p : app.popups) {
        for (Control& c : p.controls) {
          if (c.id != control) continue;
          if (c.invisible_checks < 0) return false;
          if (c.invisible_checks > 0) {
            --c.invisible_checks;
            return false;
          }
          return true;
        }
      }
    }
    return false;
  }
  WindowId firstControl(WindowId popup) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Popup* p = findPopup(popup);
    return p && !p->controls.empty() ? p->controls.front().id : kNoWindow;
  }
  void post(WindowId target, WindowMessage message) override {
    static const char* const kNames[] = {"query end session", "close", "destroy", "quit"};
    act(target, kNames[static_cast<int>(message)], "");
  }
  void typeText(WindowId control, const std::string& text) override {
    act(control, "type", text);
  }
  void pressEnter(WindowId target) override { act(target, "enter", ""); }
  void pressButton(WindowId, WindowId button) override {
    act(button, "button", std::to_string(button));
  }
  std::unique_ptr<OtherProcess> openProcess(WindowId w) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!apps_.count(w) || !apps_[w].has_process) return nullptr;
    return std::make_unique<Process>(*this, w);
  }
  std::unique_ptr<WindowWatch> openWatch(WindowId w, OtherProcess*) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++busy_;
    if (busy_ > max_busy_) max_busy_ = busy_;
    return std::make_unique<Watch>(*this, w);
  }

 private:
  struct App {
    std::string title;
    Reaction react;
    bool killable = true;
    bool has_process = true;
    bool held = false;
    bool ended = false;
    bool active_pending = false;
    bool destroy_pending = false;
    std::vector<Popup> popups;
  };

  class Process : public OtherProcess {
   public:
    Process(FakeDesktop& d, WindowId app) : d_(d), app_(app) {}
    int64_t id() const override { return static_cast<int64_t>(app_); }
    bool ended() override { return d_.processEnded(app_); }
    void terminate(int) override {
      d_.act(app_, "terminate", "");
      std::lock_guard<std::recursive_mutex> lock(d_.mutex_);
      if (d_.apps_[app_].killable) d_.endApp(app_);
    }

   private:
    FakeDesktop& d_;
    WindowId app_;
  };

  class Watch : public WindowWatch {
   public:
    Watch(FakeDesktop& d, WindowId app) : d_(d), app_(app) {}
    ~Watch() override {
      std::lock_guard<std::recursive_mutex> lock(d_.mutex_);
      --d_.busy_;
    }
    WakeReason wait(int64_t timeout_ms) override {
      std::unique_lock<std::recursive_mutex> lock(d_.mutex_);
      App& a = d_.apps_[app_];
      d_.changed_.wait(lock, [&] { return !a.held; });
      if (a.active_pending) {
        a.active_pending = false;
        return WakeReason::kActive;
      }
      if (a.destroy_pending) {
        a.destroy_pending = false;
        return WakeReason::kDestroy;
      }
      if (a.ended && a.has_process) return WakeReason::kProcessEnded;
      d_.clock_.advance(timeout_ms);
      return WakeReason::kTimeout;
    }
    void signalActive() override {
      std::lock_guard<std::recursive_mutex> lock(d_.mutex_);
      d_.apps_[app_].active_pending = true;
    }

   private:
    FakeDesktop& d_;
    WindowId app_;
  };

  Popup* findPopup(WindowId popup) {
    for (auto& [id, app] : apps_) {
      for (Popup& p : app.popups) {
        if (p.id == popup) return &p;
      }
    }
    return nullptr;
  }

  // Records the action and lets the owning app react. Actions on windows that are gone are
  // recorded too, so a test sees every message the closer sent.
  void act(WindowId target, const std::string& what, const std::string& text) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    FakeAction a{clock_.nowMs() - start_, target, what, text};
    actions_.push_back(a);
    const WindowId owner = owners_.count(target) ? owners_[target] : kNoWindow;
    action_owner_.emplace_back(actions_.size() - 1, owner);
    if (owner && apps_[owner].react && live_.count(target)) apps_[owner].react(*this, owner, a);
  }

  FakeClock& clock_;
  const int64_t start_;
  std::recursive_mutex mutex_;
  std::condition_variable_any changed_;
  bool signals_ = true;
  std::map<WindowId, App> apps_;
  std::vector<WindowId> order_;
  std::set<WindowId> live_;            // the windows that exist now
  std::map<WindowId, WindowId> owners_;  // every window ever shown and the app it belongs to
  std::vector<FakeAction> actions_;
  std::vector<std::pair<size_t, WindowId>> action_owner_;
  int busy_ = 0;
  int max_busy_ = 0;
};

// Behaviours of ordinary programs.
namespace fake_apps {

// Ends when asked to close, by either request.
inline FakeDesktop::Reaction closesWhenAsked() {
  return [](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.target == app && (a.what == "query end session" || a.what == "close")) d.endApp(app);
  };
}

inline FakeDesktop::Reaction ignoresEverything() {
  return [](FakeDesktop&, WindowId, const FakeAction&) {};
}

// Answers the first close request with a "save changes?" box (a label and two buttons) and
// then ignores everything.
inline FakeDesktop::Reaction asksSaveChanges(WindowId box) {
  return [box](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.target == app && a.what == "query end session") {
      d.showPopup(app, {box, {{box + 1, "Button"}, {box + 2, "Button"}, {box + 3, "Static"}}});
    }
  };
}

// Answers the first close request with a save dialog (a label and an edit field); Enter in the
// dialog saves to what was typed into the field and ends the program, unless `stubborn`.
inline FakeDesktop::Reaction opensSaveDialog(WindowId dialog, std::string* saved_to,
                                             bool stubborn = false, int invisible_checks = 0) {
  return [=](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.target == app && a.what == "query end session") {
      d.showPopup(app, {dialog, {{dialog + 1, "Static"}, {dialog + 2, "Edit", invisible_checks}}});
    } else if (a.target == dialog + 2 && a.what == "type") {
      *saved_to = a.text;
    } else if (a.target == dialog && a.what == "enter" && !stubborn) {
      d.endApp(app);
    }
  };
}

}  // namespace fake_apps
}  // namespace gw

// The exported entry point: starts a detached watcher thread per window.
#include "closer/hook/cbt_hook.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "closer/hook/client_watcher.h"

namespace {

int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

// The watchers still running. A program that ends while one closes its display would have
// libX11 tear its locks down under that thread and crash on its way out, so the end of the
// program waits a moment for them. Never destroyed: it must outlive every watcher thread.
struct RunningWatchers {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
};

RunningWatchers& running() {
  static RunningWatchers* watchers = new RunningWatchers;
  return *watchers;
}

// Runs when the library is unloaded at the program's end, before libX11's own clean-up (the
// library was loaded after libX11, so it goes first).
__attribute__((destructor)) void awaitWatchers() {
  RunningWatchers& r = running();
  std::unique_lock<std::mutex> hold(r.mutex);
  r.ended.wait_for(hold, std::chrono::seconds(1), [&] { return r.count == 0; });
}

}  // namespace

int CBTHook_Start(unsigned long window) {
  XInitThreads();
  XSetErrorHandler(ignoreXErrors);
  std::unique_ptr<gw::ClientWatcher> watcher;
  if (gw::ClientWatcher::start(window, &watcher) != RC_OK) return -1;
  // The thread owns its watcher and ends by itself (see run()); the library has nothing to
  // join, since the closer never unloads it.
  {
    std::lock_guard<std::mutex> hold(running().mutex);
    ++running().count;
  }
  std::thread([w = std::move(watcher)]() mutable {
    w->run();
    w.reset();  // closes its display
    RunningWatchers& r = running();
    std::lock_guard<std::mutex> hold(r.mutex);
    --r.count;
    r.ended.notify_all();
  }).detach();
  return 0;
}

// The exported entry point: starts a detached watcher thread per window.
#include "closer/hook/cbt_hook.h"

#include <thread>

#include "closer/hook/client_watcher.h"

namespace {

int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

int CBTHook_Start(unsigned long window) {
  XInitThreads();
  XSetErrorHandler(ignoreXErrors);
  std::unique_ptr<gw::ClientWatcher> watcher;
  if (gw::ClientWatcher::start(window, &watcher) != RC_OK) return -1;
  // The thread owns its watcher and ends by itself (see run()); the library has nothing to
  // join, since the closer never unloads it.
  std::thread([w = std::move(watcher)] { w->run(); }).detach();
  return 0;
}

// Starting the window threads under the semaphore of ten and waiting for them.
#include "closer/sweeper.h"

#include <atomic>
#include <list>
#include <semaphore>
#include <thread>

#include "closer/saved_log.h"
#include "closer/temp_name_source.h"
#include "closer/window_closer.h"

namespace gw {
namespace {

struct WindowThread {
  std::atomic<bool> done{false};
  std::thread thread;
};

}  // namespace

Sweeper::Sweeper(Desktop& desktop, Clock& clock, CloserSettings settings)
    : desktop_(desktop), clock_(clock), settings_(std::move(settings)) {}

int Sweeper::run() {
  const std::vector<WindowId> windows = desktop_.topLevelWindows();
  if (windows.empty()) return 0;
  TempNameSource names(settings_.save_folder);
  SavedLog log(settings_.log_path);
  std::counting_semaphore<kMaxParallel> slots(kMaxParallel);
  std::list<WindowThread> threads;
  for (WindowId window : windows) {
    slots.acquire();
    WindowThread& t = threads.emplace_back();
    t.thread = std::thread([&, window] {
      WindowCloser closer(desktop_, clock_, names, log, window);
      (void)closer.run();  // a window given up leaves the others to carry on
      t.done = true;
      slots.release();
    });
    // Threads that have finished are joined as we go, so a long list holds few of them.
    if (threads.size() > static_cast<size_t>(kMaxParallel)) {
      for (auto it = threads.begin(); it != threads.end(); ++it) {
        if (it->done) {
          it->thread.join();
          threads.erase(it);
          break;
        }
      }
    }
  }
  for (WindowThread& t : threads) t.thread.join();
  return 0;
}

}  // namespace gw

// One thread that feeds started children their input and reaps them, so that a caller who
// starts fire-and-forget programs (the sound players) neither waits nor leaves zombies.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/result_code.h"
#include "platform/pipe.h"
#include "platform/process.h"

namespace gw::posix {

// Thread-safe. The thread starts with the first child and ends with the reaper.
class ChildReaper {
 public:
  // How often running children are looked at.
  static constexpr int kReapPollMs = 50;

  // `stop_grace_ms`: how long destruction waits for children still running before it ends them.
  explicit ChildReaper(int stop_grace_ms) : stop_grace_ms_(stop_grace_ms) {}
  ChildReaper(const ChildReaper&) = delete;
  ChildReaper& operator=(const ChildReaper&) = delete;
  // Waits at most stop_grace_ms for the children still running, ends (SIGKILL) and reaps the
  // rest, and joins the thread. Nothing the reaper started outlives it.
  ~ChildReaper();

  // Takes the child; `input` (when `in` is not null) is written to `in`, which is then closed.
  // RC_NO_MEMORY when the thread cannot be started: the child is then ended at once.
  [[nodiscard]] ResultCode adopt(std::unique_ptr<ChildProcess> child, std::unique_ptr<Pipe> in,
                                 std::string input);

  // Children taken and not yet reaped.
  size_t pending() const;

 private:
  struct Entry {
    std::unique_ptr<ChildProcess> child;
    std::unique_ptr<Pipe> in;
    std::string input;
  };

  void loop();

  const int stop_grace_ms_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Entry> incoming_;  // guarded by mutex_
  size_t running_ = 0;           // guarded by mutex_: taken by the thread, not yet reaped
  bool stopping_ = false;        // guarded by mutex_
  std::thread thread_;           // started by the first adopt(), under mutex_
};

}  // namespace gw::posix

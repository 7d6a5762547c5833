// The reaper's thread: feed, poll, and at the end a bounded wait before the rest is ended.
#include "platform/posix/child_reaper.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <system_error>

namespace gw::posix {

ChildReaper::~ChildReaper() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

ResultCode ChildReaper::adopt(std::unique_ptr<ChildProcess> child, std::unique_ptr<Pipe> in,
                              std::string input) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { loop(); });
    } catch (const std::system_error&) {
      lock.unlock();
      // Nobody would reap it: do not leave it running unwatched.
      child->terminate();
      return RC_NO_MEMORY;
    }
  }
  incoming_.push_back(Entry{std::move(child), std::move(in), std::move(input)});
  lock.unlock();
  wake_.notify_all();
  return RC_OK;
}

size_t ChildReaper::pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return incoming_.size() + running_;
}

void ChildReaper::loop() {
  // A child that quits before reading its input must not take the process down with SIGPIPE;
  // the write then simply fails.
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);

  using Clock = std::chrono::steady_clock;
  std::list<Entry> running;
  bool stopping = false;
  Clock::time_point give_up{};
  for (;;) {
    std::vector<Entry> taken;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      running_ = running.size();
      if (running.empty() && incoming_.empty()) {
        wake_.wait(lock, [this] { return stopping_ || !incoming_.empty(); });
      } else if (incoming_.empty() && !stopping_) {
        wake_.wait_for(lock, std::chrono::milliseconds(kReapPollMs));
      }
      taken.swap(incoming_);
      running_ = running.size() + taken.size();
      if (stopping_ && !stopping) {
        stopping = true;
        give_up = Clock::now() + std::chrono::milliseconds(stop_grace_ms_);
      }
    }
    for (Entry& e : taken) {
      if (e.in) {
        (void)e.in->write(e.input.data(), e.input.size());  // a child that refused it goes on
        e.in.reset();
      }
      running.push_back(std::move(e));
    }
    for (auto it = running.begin(); it != running.end();) {
      int exit_code = 0;
      // Only reaping matters: what the child made of its work is not looked at.
      it = it->child->wait(0, &exit_code) == RC_OK ? running.erase(it) : std::next(it);
    }
    if (!stopping) continue;
    if (running.empty()) break;
    if (Clock::now() >= give_up) {
      for (Entry& e : running) e.child->terminate();
      running.clear();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kReapPollMs));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = 0;
}

}  // namespace gw::posix

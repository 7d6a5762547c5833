// A command runner that runs nothing: it records each command and broadcast, optionally holding
// each call until the test releases it, so tests can see worker threads at work.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/policy/command_runner.h"

namespace gw {

class FakeCommandRunner : public CommandRunner {
 public:
  struct Call {
    std::string text;  // the command line or the broadcast text
    std::map<std::string, std::string> env;
    int timeout_ms;
    bool broadcast;
    std::thread::id thread;
  };

  ResultCode runCommand(const std::string& command, const std::map<std::string, std::string>& env,
                        int timeout_ms) override {
    return record({command, env, timeout_ms, false, std::this_thread::get_id()});
  }
  ResultCode broadcast(const std::string& text, int timeout_ms) override {
    return record({text, {}, timeout_ms, true, std::this_thread::get_id()});
  }

  // While held, every call waits (after being recorded) until release().
  void hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = true;
  }
  void release() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    cv_.notify_all();
  }

  std::vector<Call> calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  ResultCode record(Call call) {
    std::unique_lock<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
    cv_.wait(lock, [this] { return !held_; });
    return RC_OK;
  }

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool held_ = false;
  std::vector<Call> calls_;
};

}  // namespace gw

// porter as a child process in tests: started with its command line and environment, asked one
// request line at a time on its pipes, and ended by its own handle (its input closed first, so
// it leaves by itself).
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "testing/pipe_line.h"

namespace gw {

class PorterRun {
 public:
  PorterRun() = default;
  PorterRun(const PorterRun&) = delete;
  PorterRun& operator=(const PorterRun&) = delete;
  ~PorterRun() { stop(); }

  // Starts `program` (a porter, with libpmx.so beside it for USB) with the media type and
  // index. False when it cannot be started.
  bool start(const std::string& program, int type, int index,
             const std::map<std::string, std::string>& env) {
    SpawnOptions o;
    o.program = program;
    o.args = {std::to_string(type), std::to_string(index)};
    o.extra_env = env;
    o.pipe_stdin = true;
    o.pipe_stdout = true;
    if (spawnProcess(o, &child_) != RC_OK) return false;
    in_ = child_->takeStdin();
    out_ = child_->takeStdout();
    return in_ && out_;
  }

  // One request line, its reply line back ("" on time-out). A request waits at most for a poll
  // in progress, and a detection takes a few seconds.
  std::string ask(const std::string& request, int timeout_ms = 10000) {
    if (!in_ || in_->write((request + "\n").data(), request.size() + 1) != RC_OK) return "";
    std::string line;
    return readPipeLine(*out_, &pending_, timeout_ms, &line) ? line : "";
  }

  // Asks until the reply satisfies `ok` or timeout_ms passes; returns the last reply.
  std::string askUntil(const std::string& request,
                       const std::function<bool(const std::string&)>& ok, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      std::string reply = ask(request);
      if (ok(reply) || std::chrono::steady_clock::now() >= deadline) return reply;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
  }
  std::string askUntilEquals(const std::string& request, const std::string& want,
                             int timeout_ms) {
    return askUntil(
        request, [&](const std::string& r) { return r == want; }, timeout_ms);
  }

  void stop() {
    if (!child_) return;
    in_.reset();  // porter ends by itself when its pipe closes
    int code = 0;
    if (child_->wait(3000, &code) != RC_OK) child_->terminate();
    child_.reset();
    out_.reset();
    pending_.clear();
  }

 private:
  std::unique_ptr<ChildProcess> child_;
  std::unique_ptr<Pipe> in_;
  std::unique_ptr<Pipe> out_;
  std::string pending_;
};

}  // namespace gw

// A pipe end that plays scripted reads and records writes, for code that frames a byte stream.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/pipe.h"

namespace gw {

class FakePipe : public Pipe {
 public:
  // State shared with the test, so that it stays reachable after the pipe was handed over.
  struct Script {
    // Each read returns the next chunk (cut to the caller's count, the rest stays). An empty
    // queue is a read that times out; `broken` makes reads and writes fail.
    std::deque<std::string> chunks;
    std::string written;
    bool broken = false;
    bool fail_writes = false;
    int reads = 0;
    int timeouts = 0;
    // What each write queues for reading, as the chunks it arrives in: a scripted peer that
    // answers once it was asked.
    std::deque<std::vector<std::string>> answers;
  };

  // With a clock, a read that times out advances it by the time waited.
  explicit FakePipe(std::shared_ptr<Script> script, Clock* clock = nullptr)
      : script_(std::move(script)), clock_(clock) {}

  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override {
    ++script_->reads;
    if (script_->broken) return RC_PIPE_BROKEN;
    if (script_->chunks.empty()) {
      ++script_->timeouts;
      if (clock_ && timeout_ms > 0) clock_->sleepMs(timeout_ms);
      return RC_TIMEOUT;
    }
    std::string& front = script_->chunks.front();
    if (front.empty()) {  // an empty chunk is the other end closing
      script_->chunks.pop_front();
      return RC_PIPE_BROKEN;
    }
    size_t n = front.size() < count ? front.size() : count;
    front.copy(static_cast<char*>(buffer), n);
    front.erase(0, n);
    if (front.empty()) script_->chunks.pop_front();
    *got = n;
    return RC_OK;
  }

  ResultCode write(const void* bytes, size_t count) override {
    if (script_->broken || script_->fail_writes) return RC_PIPE_BROKEN;
    script_->written.append(static_cast<const char*>(bytes), count);
    if (!script_->answers.empty()) {
      for (auto& chunk : script_->answers.front()) script_->chunks.push_back(chunk);
      script_->answers.pop_front();
    }
    return RC_OK;
  }

  std::unique_ptr<Pipe> duplicate() const override {
    return std::make_unique<FakePipe>(script_, clock_);
  }

 private:
  std::shared_ptr<Script> script_;
  Clock* clock_;
};

}  // namespace gw

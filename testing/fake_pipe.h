// A pipe end that plays scripted reads and records writes, for code that frames a byte stream:
// chunks that are there at once, or bytes that arrive at set times on the clock.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
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
    int writes = 0;

    // Bytes that become readable once the clock's monotonicMs() reaches the time (the pipe needs
    // a clock). A read waits for them on the clock within its timeout. Once any are scripted,
    // the writer's end closes at close_at_ms, or (-1) as soon as they are used up.
    void at(int64_t at_ms, std::string bytes) {
      timed.emplace_back(at_ms, std::move(bytes));
      timed_script = true;
    }
    void closeAt(int64_t at_ms) {
      close_at_ms = at_ms;
      timed_script = true;
    }
    std::deque<std::pair<int64_t, std::string>> timed;
    int64_t close_at_ms = -1;
    bool timed_script = false;
  };

  // With a clock, a read that times out advances it by the time waited.
  explicit FakePipe(std::shared_ptr<Script> script, Clock* clock = nullptr)
      : script_(std::move(script)), clock_(clock) {}

  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override {
    ++script_->reads;
    if (script_->broken) return RC_PIPE_BROKEN;
    if (script_->timed_script) {
      ResultCode rc = waitForTimed(timeout_ms);
      if (rc != RC_OK) return rc;
    }
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
    ++script_->writes;
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
  // Moves the timed bytes that are due into the chunks, waiting on the clock for the next ones
  // within the timeout. RC_OK when chunks are ready; RC_TIMEOUT or RC_PIPE_BROKEN (closed).
  ResultCode waitForTimed(int timeout_ms) {
    Script& s = *script_;
    for (;;) {
      const int64_t now = clock_->monotonicMs();
      while (!s.timed.empty() && s.timed.front().first <= now) {
        // Bytes due together read as one stream, as a real pipe would give them.
        if (s.chunks.empty()) s.chunks.emplace_back();
        s.chunks.back() += s.timed.front().second;
        s.timed.pop_front();
      }
      if (!s.chunks.empty()) return RC_OK;
      if (s.timed.empty() && (s.close_at_ms < 0 || now >= s.close_at_ms)) return RC_PIPE_BROKEN;
      const int64_t next = s.timed.empty() ? s.close_at_ms : s.timed.front().first;
      if (timeout_ms >= 0 && next > now + timeout_ms) {
        ++s.timeouts;
        clock_->sleepMs(timeout_ms);
        return RC_TIMEOUT;
      }
      clock_->sleepMs(next - now);
    }
  }

  std::shared_ptr<Script> script_;
  Clock* clock_;
};

}  // namespace gw

// Pipe ends for tests on a FakeClock: an input end that delivers scripted bytes at given times
// and breaks when the script runs out, and an output end that records what was written.
#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "platform/pipe.h"
#include "testing/fake_clock.h"

namespace gw {

class ScriptedInputPipe final : public Pipe {
 public:
  explicit ScriptedInputPipe(FakeClock& clock) : clock_(clock) {}

  // Bytes that become readable once the clock's monotonicMs() reaches at_ms.
  void at(int64_t at_ms, std::string bytes) { script_.emplace_back(at_ms, std::move(bytes)); }
  // The writer's end closes at this time (default: as soon as the script is used up).
  void closeAt(int64_t at_ms) { close_at_ = at_ms; }

  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override {
    for (;;) {
      int64_t now = clock_.monotonicMs();
      while (!script_.empty() && script_.front().first <= now) {
        ready_ += script_.front().second;
        script_.pop_front();
      }
      if (!ready_.empty()) {
        size_t n = std::min(count, ready_.size());
        std::memcpy(buffer, ready_.data(), n);
        ready_.erase(0, n);
        *got = n;
        return RC_OK;
      }
      if (script_.empty() && (close_at_ < 0 || now >= close_at_)) return RC_PIPE_BROKEN;
      int64_t next = script_.empty() ? close_at_ : script_.front().first;
      if (timeout_ms >= 0 && next > now + timeout_ms) {
        clock_.advance(timeout_ms);
        return RC_TIMEOUT;
      }
      clock_.advance(next - now);
    }
  }
  ResultCode write(const void*, size_t) override { return RC_PIPE_BROKEN; }
  std::unique_ptr<Pipe> duplicate() const override { return nullptr; }

 private:
  FakeClock& clock_;
  std::deque<std::pair<int64_t, std::string>> script_;
  std::string ready_;
  int64_t close_at_ = -1;
};

class RecordingOutputPipe final : public Pipe {
 public:
  ResultCode read(void*, size_t, int, size_t*) override { return RC_PIPE_BROKEN; }
  ResultCode write(const void* bytes, size_t count) override {
    if (broken) return RC_PIPE_BROKEN;
    written.append(static_cast<const char*>(bytes), count);
    ++writes;
    return RC_OK;
  }
  std::unique_ptr<Pipe> duplicate() const override { return nullptr; }

  std::string written;
  int writes = 0;
  bool broken = false;
};

}  // namespace gw

// A Media that plays a scripted UPS: each write is one command, matched byte for byte against
// the script, and its answer becomes the input the next reads take. Line signals come from a
// fixed value or a function of the outputs driven so far. Every write and line change is kept.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "driver/media/media.h"
#include "platform/clock.h"

namespace gw {

class FakeMedia : public Media {
 public:
  struct LineEvent {
    int64_t at_ms;  // the clock's time, or 0 without a clock
    uint32_t mask;
    bool on;
  };
  using LineFunction = std::function<uint32_t(uint32_t outputs)>;

  explicit FakeMedia(int index = 1, int media_type = kMediaSerial, Clock* clock = nullptr)
      : clock_(clock) {
    index_ = index;
    media_type_ = media_type;
  }
  ~FakeMedia() override = default;

  // The next write of exactly `command` is answered `reply`; several answers for one command
  // are given in order. Commands with no one-shot answer left use answerAlways; any other
  // command gets silence.
  void answer(std::string_view command, std::string_view reply) {
    once_[std::string(command)].push_back(std::string(reply));
  }
  void answerAlways(std::string_view command, std::string_view reply) {
    always_[std::string(command)] = std::string(reply);
  }
  void forget(std::string_view command) {
    once_.erase(std::string(command));
    always_.erase(std::string(command));
  }
  // Bytes waiting to be read as if the UPS had sent them unasked.
  void queueInput(std::string_view bytes) { input_ += bytes; }

  void setLineStatus(uint32_t flags) {
    line_status_ = flags;
    line_function_ = nullptr;
  }
  void setLineFunction(LineFunction f) { line_function_ = std::move(f); }
  void failLineStatus(bool fail) { fail_line_status_ = fail; }
  void failSetLines(bool fail) { fail_set_lines_ = fail; }
  // Writes stop after this many bytes (a negative limit writes everything).
  void limitWrites(int bytes) { write_limit_ = bytes; }

  const std::vector<std::string>& writes() const { return writes_; }
  std::string lastWrite() const { return writes_.empty() ? std::string() : writes_.back(); }
  void clearWrites() { writes_.clear(); }
  const std::vector<LineEvent>& lineEvents() const { return line_events_; }
  uint32_t outputs() const { return outputs_; }
  int baudRate() const { return baud_; }
  int lineStatusReads() const { return line_status_reads_; }

  bool open(int index) override {
    index_ = index;
    return true;
  }

  int write(const uint8_t* bytes, int count) override {
    // A real port purges both directions before it writes.
    input_.clear();
    int n = count;
    if (write_limit_ >= 0 && n > write_limit_) n = write_limit_;
    std::string command(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    writes_.push_back(command);
    if (n < count) return n;
    auto once = once_.find(command);
    if (once != once_.end() && !once->second.empty()) {
      input_ += once->second.front();
      once->second.pop_front();
    } else if (auto always = always_.find(command); always != always_.end()) {
      input_ += always->second;
    }
    return n;
  }

  int read(uint8_t* buffer, int count) override {
    size_t n = input_.size();
    if (count >= 0 && n > static_cast<size_t>(count)) n = static_cast<size_t>(count);
    if (count < 0 && n > 128) n = 128;
    std::memcpy(buffer, input_.data(), n);
    input_.erase(0, n);
    return static_cast<int>(n);
  }

  bool setBaudRate(int rate) override {
    baud_ = rate;
    return true;
  }

  bool getLineStatus(uint32_t* flags) override {
    ++line_status_reads_;
    if (fail_line_status_) return false;
    *flags = line_function_ ? line_function_(outputs_) : line_status_;
    return true;
  }

  bool setLines(uint32_t mask, bool on) override {
    if ((mask & kRefusedLineMask) != 0 || fail_set_lines_) return false;
    outputs_ = on ? (outputs_ | mask) : (outputs_ & ~mask);
    line_events_.push_back({clock_ ? clock_->nowMs() : 0, mask, on});
    return true;
  }

  // The test owns the object.
  void release() override {}

 private:
  Clock* clock_;
  std::map<std::string, std::deque<std::string>> once_;
  std::map<std::string, std::string> always_;
  std::string input_;
  std::vector<std::string> writes_;
  std::vector<LineEvent> line_events_;
  uint32_t line_status_ = LS_DSR;
  LineFunction line_function_;
  uint32_t outputs_ = 0;
  bool fail_line_status_ = false;
  bool fail_set_lines_ = false;
  int write_limit_ = -1;
  int baud_ = 0;
  int line_status_reads_ = 0;
};

}  // namespace gw

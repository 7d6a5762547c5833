// A HidDevice that plays scripted reports on a Clock: input reports arrive at set times, feature
// reports are answered from a table, and every report sent is kept with the time it was sent.
// A read waits on the clock (a FakeClock just moves on) up to the next report or its time-out.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "platform/clock.h"
#include "platform/hid.h"

namespace gw {

class FakeHidDevice : public HidDevice {
 public:
  struct Sent {
    int64_t at_ms;  // the clock's monotonic time
    std::vector<uint8_t> report;
  };

  FakeHidDevice(Clock& clock, std::vector<uint8_t> descriptor)
      : clock_(clock), descriptor_(std::move(descriptor)) {}

  // getFeature(report[0]) answers this report.
  void setFeatureReport(std::vector<uint8_t> report) {
    uint8_t id = report.empty() ? 0 : report[0];
    features_[id] = std::move(report);
  }
  // An input report that arrives `after_ms` from now.
  void queueInput(int64_t after_ms, std::vector<uint8_t> report) {
    inputs_.push_back({clock_.monotonicMs() + after_ms, std::move(report)});
  }
  void failDescriptor(bool fail) { fail_descriptor_ = fail; }
  // Output reports after the first `n` are refused (negative: none is).
  void refuseOutputsAfter(int n) { output_limit_ = n; }

  const std::vector<Sent>& outputs() const { return outputs_; }
  const std::vector<Sent>& featuresSent() const { return features_sent_; }
  int flushes() const { return flushes_; }
  size_t inputsLeft() const { return inputs_.size(); }

  ResultCode reportDescriptor(std::vector<uint8_t>* descriptor) override {
    if (fail_descriptor_) return RC_LINE_FAILURE;
    *descriptor = descriptor_;
    return RC_OK;
  }
  ResultCode getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                        size_t* got) override {
    auto it = features_.find(report_id);
    if (it == features_.end() || capacity == 0) return RC_LINE_FAILURE;
    *got = it->second.size() < capacity ? it->second.size() : capacity;
    std::memcpy(buffer, it->second.data(), *got);
    return RC_OK;
  }
  ResultCode setFeature(const uint8_t* report, size_t length) override {
    features_sent_.push_back({clock_.monotonicMs(), {report, report + length}});
    return RC_OK;
  }
  ResultCode writeOutput(const uint8_t* report, size_t length, int) override {
    if (output_limit_ >= 0 && static_cast<int>(outputs_.size()) >= output_limit_) {
      return RC_TIMEOUT;
    }
    outputs_.push_back({clock_.monotonicMs(), {report, report + length}});
    return RC_OK;
  }
  ResultCode readInput(uint8_t* buffer, size_t capacity, int timeout_ms, size_t* got) override {
    const int64_t now = clock_.monotonicMs();
    if (inputs_.empty() || inputs_.front().at_ms > now + timeout_ms) {
      clock_.sleepMs(timeout_ms);
      return RC_TIMEOUT;
    }
    if (inputs_.front().at_ms > now) clock_.sleepMs(inputs_.front().at_ms - now);
    const std::vector<uint8_t>& report = inputs_.front().report;
    *got = report.size() < capacity ? report.size() : capacity;
    std::memcpy(buffer, report.data(), *got);
    inputs_.pop_front();
    return RC_OK;
  }
  void flushInput() override {
    ++flushes_;
    while (!inputs_.empty() && inputs_.front().at_ms <= clock_.monotonicMs()) inputs_.pop_front();
  }

 private:
  Clock& clock_;
  std::vector<uint8_t> descriptor_;
  std::map<uint8_t, std::vector<uint8_t>> features_;
  std::deque<Sent> inputs_;
  std::vector<Sent> outputs_;
  std::vector<Sent> features_sent_;
  int output_limit_ = -1;
  int flushes_ = 0;
  bool fail_descriptor_ = false;
};

}  // namespace gw

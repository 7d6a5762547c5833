// A Media whose UPS answers each command with the next piece of the fuzzer's input, so that a
// device's answer parsers meet every byte sequence. Line signals say a UPS is on the cable.
#pragma once

#include <cstring>
#include <string>

#include "driver/media/media.h"
#include "fuzz/fuzz_input.h"

namespace gw::fuzz {

class ScriptMedia final : public Media {
 public:
  explicit ScriptMedia(FuzzInput& input) : input_(input) { index_ = 1; }

  bool open(int index) override {
    index_ = index;
    return true;
  }
  int write(const uint8_t*, int count) override {
    // A port purges its input before a command goes out; the answer is what comes back.
    pending_.assign(input_.sized());
    ++writes_;
    return count;
  }
  int read(uint8_t* buffer, int count) override {
    size_t n = pending_.size();
    if (count >= 0 && n > static_cast<size_t>(count)) n = static_cast<size_t>(count);
    if (count < 0 && n > static_cast<size_t>(kMediaReadAllMax)) n = kMediaReadAllMax;
    std::memcpy(buffer, pending_.data(), n);
    pending_.erase(0, n);
    return static_cast<int>(n);
  }
  bool setBaudRate(int) override { return true; }
  bool getLineStatus(uint32_t* flags) override {
    *flags = LS_DSR | LS_CTS | LS_DCD;
    return true;
  }
  bool setLines(uint32_t mask, bool) override { return (mask & kRefusedLineMask) == 0; }
  void release() override {}

  int writes() const { return writes_; }

 private:
  FuzzInput& input_;
  std::string pending_;
  int writes_ = 0;
};

}  // namespace gw::fuzz

// A sound player that records what it was asked to play; empty content is a beep.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/sound.h"

namespace gw {

class FakeSoundPlayer : public SoundPlayer {
 public:
  ResultCode playSound(const std::string& content) override {
    std::lock_guard<std::mutex> held(mutex_);
    played_.push_back(content);
    return RC_OK;
  }

  // Every content asked for, in order ("" for a beep).
  std::vector<std::string> played() const {
    std::lock_guard<std::mutex> held(mutex_);
    return played_;
  }
  void clear() {
    std::lock_guard<std::mutex> held(mutex_);
    played_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> played_;
};

}  // namespace gw

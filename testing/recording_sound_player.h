// A sound player that plays nothing and records what it was asked to play, with the clock's
// time, so tests can check the sound timeline without a speaker.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/sound.h"

namespace gw {

class RecordingSoundPlayer : public SoundPlayer {
 public:
  struct Played {
    std::string content;  // empty for a beep
    int64_t at_ms;
  };

  explicit RecordingSoundPlayer(const Clock& clock) : clock_(clock) {}

  ResultCode playSound(const std::string& content) override {
    std::lock_guard<std::mutex> lock(mutex_);
    played_.push_back({content, clock_.nowMs()});
    return RC_OK;
  }

  std::vector<Played> played() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return played_;
  }

 private:
  const Clock& clock_;
  mutable std::mutex mutex_;
  std::vector<Played> played_;
};

}  // namespace gw

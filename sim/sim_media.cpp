// The in-process cable between a device under test and a SimUps.
#include "sim/sim_media.h"

#include <algorithm>
#include <cstring>

namespace gw {

namespace {
constexpr int kReadAllMax = 128;
}  // namespace

SimMedia* SimMedia::create(SimUps& ups, int media_type) { return new SimMedia(ups, media_type); }

SimMedia::SimMedia(SimUps& ups, int media_type) : ups_(ups) { media_type_ = media_type; }

bool SimMedia::open(int index) {
  index_ = index;
  return true;
}

int SimMedia::write(const uint8_t* bytes, int count) {
  answer_.clear();
  if (count <= 0) return 0;
  written_.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  ups_.tick();
  ups_.receive(bytes, static_cast<size_t>(count), &answer_);
  return count;
}

int SimMedia::read(uint8_t* buffer, int count) {
  ups_.tick();
  int want = count < 0 ? kReadAllMax : count;
  int n = std::min(want, static_cast<int>(answer_.size()));
  if (n > 0) std::memcpy(buffer, answer_.data(), static_cast<size_t>(n));
  answer_.erase(0, static_cast<size_t>(n));
  return n;
}

bool SimMedia::setBaudRate(int rate) {
  baud_ = rate;
  return true;
}

bool SimMedia::getLineStatus(uint32_t* flags) {
  ups_.tick();
  *flags = ups_.inputLines();
  return true;
}

bool SimMedia::setLines(uint32_t mask, bool on) {
  if (mask & kRefusedLineMask) return false;
  lines_ = on ? (lines_ | mask) : (lines_ & ~mask);
  ups_.setOutputLines(lines_);
  return true;
}

}  // namespace gw

// A bridge library for tests: its media open device numbers 1 and 2 and echo what is written.
#include <cstring>

#include "driver/media/media.h"

namespace {

class EchoUsbMedia final : public gw::Media {
 public:
  EchoUsbMedia() { media_type_ = gw::kMediaUsb; }
  bool open(int index) override {
    if (index < 1 || index > 2) return false;
    index_ = index;
    return true;
  }
  int write(const uint8_t* bytes, int count) override {
    if (count < 0 || count > static_cast<int>(sizeof held_)) return 0;
    std::memcpy(held_, bytes, static_cast<size_t>(count));
    held_count_ = count;
    return count;
  }
  int read(uint8_t* buffer, int count) override {
    int n = count < 0 || count > held_count_ ? held_count_ : count;
    std::memcpy(buffer, held_, static_cast<size_t>(n));
    held_count_ = 0;
    return n;
  }
  bool setBaudRate(int) override { return true; }
  bool getLineStatus(uint32_t* flags) override {
    *flags = gw::LS_DSR;
    return true;
  }
  bool setLines(uint32_t mask, bool) override { return (mask & gw::kRefusedLineMask) == 0; }

 private:
  ~EchoUsbMedia() override = default;
  uint8_t held_[gw::kMediaReadAllMax] = {};
  int held_count_ = 0;
};

}  // namespace

extern "C" gw::Media* CreatePMXMediaObject() { return new EchoUsbMedia(); }

// A Media whose far end is a simulated UPS, for tests of the device code in one process: writes
// go to the UPS, reads return its answers, line status and line control act on the cable.
//
// Like the serial media, a write first discards answer bytes not yet read. Nothing sleeps: the
// answer is there as soon as the command is complete, and a read of more bytes than are
// waiting returns what there is (a short count, as after a serial time-out). Time-based UPS
// behaviour follows the clock the SimUps was built with. The SimUps must outlive the media.
#pragma once

#include <cstdint>
#include <string>

#include "driver/media/media.h"
#include "sim/sim_ups.h"

namespace gw {

class SimMedia final : public Media {
 public:
  // Free it with release() (or MediaReleaser), like every Media.
  static SimMedia* create(SimUps& ups, int media_type = kMediaSerial);

  bool open(int index) override;
  int write(const uint8_t* bytes, int count) override;
  int read(uint8_t* buffer, int count) override;
  bool setBaudRate(int rate) override;
  bool getLineStatus(uint32_t* flags) override;
  bool setLines(uint32_t mask, bool on) override;

  int baudRate() const { return baud_; }
  // Every byte written, in order, since creation (or the last clearWritten()).
  const std::string& written() const { return written_; }
  void clearWritten() { written_.clear(); }

 private:
  SimMedia(SimUps& ups, int media_type);
  ~SimMedia() override = default;

  SimUps& ups_;
  std::string answer_;
  std::string written_;
  uint32_t lines_ = 0;
  int baud_ = 1200;
};

}  // namespace gw

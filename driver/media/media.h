// The byte channel to a UPS, shared by the serial port and the USB HID bridge.
//
// A Media is created closed, opened once, and destroyed through release() so that an object made
// inside the pmx library is freed by the library that allocated it.
#pragma once

#include <cstdint>
#include <memory>

// The line signals' bits (LineStatus, LineControl) are the serial port's.
#include "platform/serial_port.h"

namespace gw {

// setLines refuses any mask with one of these bits.
inline constexpr uint32_t kRefusedLineMask = 0x1B3;

inline constexpr int kMediaSerial = 2;
inline constexpr int kMediaUsb = 3;

class Media {
 public:
  Media() = default;
  Media(const Media&) = delete;
  Media& operator=(const Media&) = delete;

  virtual bool open(int index) = 0;
  // Returns the number of bytes written.
  virtual int write(const uint8_t* bytes, int count) = 0;
  // Returns the number of bytes read. count = -1 reads whatever arrives, at most 128 bytes,
  // until the line goes quiet.
  virtual int read(uint8_t* buffer, int count) = 0;
  virtual bool setBaudRate(int rate) = 0;
  virtual bool getLineStatus(uint32_t* flags) = 0;
  virtual bool setLines(uint32_t mask, bool on) = 0;
  // Destroys the object.
  virtual void release() { delete this; }

  int index() const { return index_; }
  int mediaType() const { return media_type_; }
  int charDelayMs() const { return char_delay_ms_; }
  int readTimeoutMs() const { return read_timeout_ms_; }

 protected:
  virtual ~Media() = default;

  int index_ = 0;
  int media_type_ = kMediaSerial;
  int char_delay_ms_ = 50;
  int read_timeout_ms_ = 120;
};

// Releases a Media when the owner goes away.
struct MediaReleaser {
  void operator()(Media* m) const {
    if (m) m->release();
  }
};

// Sole ownership of a Media, freed through release().
using MediaPtr = std::unique_ptr<Media, MediaReleaser>;

// The largest answer one read(buffer, -1) delivers; such a buffer must hold this many bytes.
inline constexpr int kMediaReadAllMax = 128;

}  // namespace gw

// The UPS side of one serial protocol: turns the bytes and line changes the port sends into the
// UPS's answer bytes and input signals.
//
// A responder keeps partial commands between calls (bytes arrive one at a time, 50 ms apart)
// and drops a partial command that has been silent for kStaleMs. It records every complete (or
// dropped) command in the CommandLog it was given. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gw {

class Responder {
 public:
  // A partial command older than this is dropped (and recorded as received).
  static constexpr int64_t kStaleMs = 1000;

  Responder() = default;
  Responder(const Responder&) = delete;
  Responder& operator=(const Responder&) = delete;
  virtual ~Responder() = default;

  // Bytes from the port; the answer bytes are appended to *answer.
  virtual void receive(const uint8_t* bytes, size_t count, std::string* answer) = 0;
  // The port's output lines (LC_* bits), whole state, after a change.
  virtual void setOutputLines(uint32_t lines) { (void)lines; }
  // The input signals (LS_* bits) the UPS presents now.
  virtual uint32_t inputLines() = 0;
  // Lets time-based behaviour run: stale partial commands, line timings.
  virtual void tick() {}
};

}  // namespace gw

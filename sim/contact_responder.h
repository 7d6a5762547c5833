// A contact-closure UPS: no data, only relay contacts on the serial control lines.
//
// The contacts are powered from the port's RTS line: with RTS low, CTS and DCD read low. With
// RTS high, CTS is the "mains present" contact and DCD the "battery not low" contact; raising
// break as well closes both (the UPS's line test), so CTS and DCD read high whatever the power
// state. DSR is not wired and reads low (a cable fault may make it follow DTR instead, as a
// loop-back cable would). Data bytes are not connected and are ignored.
//
// Holding DTR high for kKillHoldMs while the UPS runs on battery is the kill signal: the output
// switches off and comes back when mains returns. On mains the kill is ignored.
#pragma once

#include "platform/clock.h"
#include "sim/command_log.h"
#include "sim/responder.h"
#include "sim/ups_model.h"

namespace gw {

class ContactResponder final : public Responder {
 public:
  static constexpr int64_t kKillHoldMs = 4000;

  ContactResponder(UpsModel& model, Clock& clock);

  void receive(const uint8_t* bytes, size_t count, std::string* answer) override;
  void setOutputLines(uint32_t lines) override;
  uint32_t inputLines() override;
  void tick() override;

  void setDsrFollowsDtr(bool on) { dsr_follows_dtr_ = on; }
  uint32_t outputLines() const { return lines_; }

 private:
  void checkKill();

  UpsModel& model_;
  Clock& clock_;
  uint32_t lines_ = 0;
  int64_t dtr_high_since_ = -1;
  bool killed_this_hold_ = false;
  bool dsr_follows_dtr_ = false;
};

}  // namespace gw

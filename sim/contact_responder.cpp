// The relay contacts and the DTR kill timing of a contact-closure UPS.
#include "sim/contact_responder.h"

#include "driver/media/media.h"

namespace gw {

ContactResponder::ContactResponder(UpsModel& model, Clock& clock)
    : model_(model), clock_(clock) {}

void ContactResponder::receive(const uint8_t*, size_t, std::string*) {}

void ContactResponder::checkKill() {
  if (dtr_high_since_ < 0 || killed_this_hold_) return;
  if (clock_.monotonicMs() - dtr_high_since_ < kKillHoldMs) return;
  killed_this_hold_ = true;
  if (model_.onBattery()) model_.setOutput(false);
}

void ContactResponder::setOutputLines(uint32_t lines) {
  // The hold that ends now counts up to this moment.
  checkKill();
  bool dtr = (lines & LC_DTR) != 0;
  if (dtr && dtr_high_since_ < 0) {
    dtr_high_since_ = clock_.monotonicMs();
    killed_this_hold_ = false;
  } else if (!dtr) {
    dtr_high_since_ = -1;
  }
  lines_ = lines;
}

void ContactResponder::tick() { checkKill(); }

uint32_t ContactResponder::inputLines() {
  checkKill();
  uint32_t in = 0;
  if (dsr_follows_dtr_ && (lines_ & LC_DTR)) in |= LS_DSR;
  if (lines_ & LC_RTS) {
    if (lines_ & LC_BREAK) {
      in |= LS_CTS | LS_DCD;
    } else {
      if (model_.mainsPresent()) in |= LS_CTS;
      if (!model_.batteryLow()) in |= LS_DCD;
    }
  }
  return in;
}

}  // namespace gw

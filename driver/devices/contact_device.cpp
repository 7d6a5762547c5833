// The contact-closure UPS: detection handshake, contact reading and the shutdown pulse.
#include "driver/devices/contact_device.h"

namespace gw {
namespace {

constexpr uint32_t kAllOutputs = LC_DTR | LC_RTS | LC_BREAK;

}  // namespace

ContactDevice::ContactDevice(Media& media, Clock& clock) : MediaDevice(media, clock) {
  dropAll();
  recordMedia();
  setStatus(STATUS_CONNECT, 0);
}

ContactDevice::~ContactDevice() { dropAll(); }

void ContactDevice::dropAll() {
  // Nothing is left to do when the line refuses even this.
  (void)media_.setLines(kAllOutputs, false);
}

bool ContactDevice::drive(uint32_t mask, bool on) { return media_.setLines(mask, on); }

bool ContactDevice::readLines(uint32_t* flags) { return media_.getLineStatus(flags); }

ResultCode ContactDevice::detect() {
  uint32_t lines = 0;
  bool ok = drive(LC_DTR | LC_RTS, true);
  clock_.sleepMs(kSettleMs);
  // A UPS contact does not answer DTR; a line that does is something else.
  ok = ok && readLines(&lines) && (lines & LS_DSR) == 0;
  if (ok) {
    ok = drive(LC_DTR | LC_RTS, false);
    clock_.sleepMs(kSettleMs);
    ok = ok && readLines(&lines) && (lines & (LS_DCD | LS_CTS)) == 0;
  }
  if (ok) {
    ok = drive(LC_RTS | LC_BREAK, true);
    clock_.sleepMs(kSettleMs);
    ok = ok && readLines(&lines) && (lines & (LS_DCD | LS_CTS)) == (LS_DCD | LS_CTS);
  }
  ok = drive(LC_BREAK, false) && ok;
  if (!ok) {
    dropAll();
    values_.clear(E_MODEL);
    return RC_NOT_DETECTED;
  }
  values_.setText(E_MODEL, kModelName);
  return RC_OK;
}

ResultCode ContactDevice::getText(int element, char* buffer, size_t* size) {
  if (element < E_INPUTHI_RANGE || element > E_COMPANY) return RC_UNSUPPORTED;
  if (element == E_MODEL && !values_.has(E_MODEL)) {
    const ResultCode rc = detect();
    if (rc != RC_OK) return rc;
  }
  return values_.getText(element, buffer, size);
}

ResultCode ContactDevice::getNumber(int element, int32_t* value) {
  if (element < E_VOLT || element >= ValueTable::kElementCount) return RC_UNSUPPORTED;
  return values_.getInt(element, value);
}

ResultCode ContactDevice::poll() {
  const ResultCode rc = pollLines();
  if (rc == RC_LINE_FAILURE) dropAll();
  return rc;
}

ResultCode ContactDevice::pollLines() {
  uint32_t first = 0;
  uint32_t lines = 0;
  if (!drive(LC_DTR | LC_RTS, true)) return RC_LINE_FAILURE;
  clock_.sleepMs(kSettleMs);
  if (!readLines(&first)) return RC_LINE_FAILURE;
  if ((first & LS_DSR) != 0) {
    if (!drive(LC_DTR, false)) return RC_LINE_FAILURE;
    clock_.sleepMs(kSettleMs);
    if (!readLines(&lines)) return RC_LINE_FAILURE;
    if ((lines & LS_DSR) == 0) {
      if (!drive(LC_DTR, true)) return RC_LINE_FAILURE;
      clock_.sleepMs(kSettleMs);
      if (!readLines(&lines)) return RC_LINE_FAILURE;
      // DSR following DTR is a loop-back or a modem, not UPS contacts.
      if ((lines & LS_DSR) != 0) return RC_NOT_DETECTED;
    }
  }
  if (!drive(LC_DTR, false)) return RC_LINE_FAILURE;
  bool battery_low = (first & LS_DCD) == 0;
  bool power_fail = (first & LS_CTS) == 0;
  // A relay can bounce as mains goes: look again before believing a failure.
  for (int i = 0; i < 2 && power_fail; ++i) {
    if (battery_low && !drive(LC_RTS, true)) return RC_LINE_FAILURE;
    clock_.sleepMs(kSettleMs);
    if (!readLines(&lines)) return RC_LINE_FAILURE;
    battery_low = (lines & LS_DCD) == 0;
    power_fail = (lines & LS_CTS) == 0;
  }
  const bool held_battery_low = held_battery_low_;
  const bool held_power_fail = held_power_fail_;
  held_battery_low_ = battery_low;

  if (status_[STATUS_CONNECT] == 0) {
    // Both contacts closed is also what an unplugged cable reads.
    if (!(battery_low && power_fail)) setStatus(STATUS_CONNECT, 1);
  } else if (!held_battery_low && !held_power_fail && battery_low) {
    if (!power_fail) {
      battery_low = false;
    } else {
      if (!drive(LC_RTS | LC_BREAK, true)) return RC_LINE_FAILURE;
      clock_.sleepMs(kSettleMs);
      const bool read = readLines(&lines);
      if (!drive(LC_BREAK, false) || !read) return RC_LINE_FAILURE;
      if ((lines & LS_DCD) == 0 || (lines & LS_CTS) == 0) {
        setStatus(STATUS_CONNECT, 0);
        return RC_NO_DEVICE;
      }
    }
  }
  held_power_fail_ = power_fail;
  setStatus(STATUS_POWERFAIL, power_fail ? 1 : 0);
  setStatus(STATUS_BATTERYLO, battery_low && power_fail ? 1 : 0);
  return RC_OK;
}

ResultCode ContactDevice::shutdown(int32_t delay_seconds) {
  if (delay_seconds < 0) return RC_UNSUPPORTED;
  const bool on_mains = !status_known_[7] || status_[7] == 0;
  bool ok = true;
  if (on_mains) {
    // Without a mains failure the UPS only takes the shutdown after a first long pulse.
    ok = drive(LC_DTR, true);
    if (ok) clock_.sleepMs(kShutdownPulseOnMs);
    ok = ok && drive(LC_DTR, false);
    if (ok) clock_.sleepMs(kShutdownPulseOffMs);
  }
  ok = ok && drive(LC_DTR, true);
  if (!ok) {
    dropAll();
    return RC_LINE_FAILURE;
  }
  clock_.sleepMs(kShutdownHoldMs);
  return RC_OK;
}

}  // namespace gw

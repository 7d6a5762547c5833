// Framing, answers and register file of the binary protocol.
#include "sim/binary_responder.h"

#include <algorithm>
#include <string_view>

#include "driver/media/media.h"
#include "sim/raw_encoder.h"

namespace gw {
namespace {

constexpr char kCr = '\r';

bool isSettingRegister(int reg) {
  return reg == 2 || reg == 4 || reg == 8 || reg == 15 || reg == 24;
}

std::string padded(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

int ticksToMs(int ticks) { return ticks * static_cast<int>(BinaryResponder::kTickMs); }

// Models whose driver takes a self-test as a transfer to battery and clears the mains-failure
// flag it finds then; their UPS raises that flag during the test.
bool flagsFailureDuringTest(const UpsProfile& p) {
  if (p.family >= 1 && p.family <= 3) return true;
  return p.family == 4 &&
         ((p.model_index >= 16 && p.model_index <= 22) || p.model_index == 24);
}

}  // namespace

BinaryResponder::BinaryResponder(UpsModel& model, CommandLog& log, Clock& clock)
    : model_(model), log_(log), clock_(clock) {}

uint8_t BinaryResponder::registerValue(int reg) const {
  const UpsProfile& p = model_.profile();
  switch (reg) {
    case 41:
      return p.line_class == 2 ? 4 : p.line_class == 3 ? 16 : 0;
    case 43: {
      static constexpr uint8_t kVariant[4] = {0, 1, 254, 255};
      return kVariant[std::clamp(p.variant, 0, 3)];
    }
    case 61:
      return p.avr ? 0x10 : 0x00;
    default:
      return reg >= 0 && reg < 256 ? registers_[static_cast<size_t>(reg)] : 0;
  }
}

uint32_t BinaryResponder::inputLines() { return LS_DSR | LS_CTS | LS_DCD; }

void BinaryResponder::dropStale() {
  if (!pending_.empty() && clock_.monotonicMs() - last_byte_ms_ > kStaleMs) {
    log_.recordBytes(pending_);
    pending_.clear();
  }
}

void BinaryResponder::tick() { dropStale(); }

int BinaryResponder::commandLength() const {
  switch (pending_[0]) {
    case kCr:
      return 1;
    case 'D':
    case 'F':
    case 'N':
    case 'B':
      return 2;
    case 'R':
    case 'T':
    case 'C':
      return 3;
    case 'Q':
      return 4;
    case 'S':
      if (pending_.size() < 4) return 0;
      if (pending_[3] == 'W') return 5;
      if (pending_[3] == 'R') return 8;
      return 5;  // malformed: consumed as one unanswered command
    default:
      return -1;
  }
}

void BinaryResponder::receive(const uint8_t* bytes, size_t count, std::string* out) {
  dropStale();
  if (count == 0) return;
  pending_.append(reinterpret_cast<const char*>(bytes), count);
  last_byte_ms_ = clock_.monotonicMs();
  while (!pending_.empty()) {
    int length = commandLength();
    if (length < 0) {
      // Not a command of this protocol: swallow up to the next CR or command letter.
      size_t end = 0;
      while (end < pending_.size() && std::string_view("DFNBRTCQS\r").find(pending_[end]) ==
                                          std::string_view::npos) {
        ++end;
      }
      if (end == pending_.size()) return;  // wait for the rest; a stall drops it
      if (pending_[end] == kCr) ++end;
      log_.recordBytes(pending_.substr(0, end));
      pending_.erase(0, end);
      continue;
    }
    if (length == 0 || pending_.size() < static_cast<size_t>(length)) return;
    std::string command = pending_.substr(0, static_cast<size_t>(length));
    pending_.erase(0, static_cast<size_t>(length));
    log_.recordBytes(command);
    if (command.back() != kCr) continue;
    answer(command, out);
  }
}

void BinaryResponder::answer(const std::string& c, std::string* out) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(c[i]); };
  switch (c[0]) {
    case kCr:
      return;
    case 'D':
      *out += statusAnswer();
      return;
    case 'F':
      *out += identityAnswer();
      return;
    case 'N':
      *out += makerAnswer();
      return;
    case 'R':
      *out += 'R';
      *out += static_cast<char>(registerValue(byte(1)));
      return;
    case 'Q':
      if (isSettingRegister(byte(1))) registers_[byte(1)] = byte(2);
      *out += c.substr(0, 3);
      return;
    case 'T':
      model_.startSelfTest(ticksToMs(byte(1)));
      *out += c.substr(0, 2);
      return;
    case 'C':
      if (c[1] == 'T') {
        model_.cancelSelfTest();
        *out += "CT";
      } else if (c[1] == 'S') {
        model_.cancelSchedule();
        *out += "CS\r\r\r\r\r";
      }
      return;
    case 'S': {
      int delay = (byte(1) << 8) | byte(2);
      if (c[3] == 'W') {
        model_.scheduleOutputOff(ticksToMs(delay), -1);
        *out += c.substr(0, 4);
      } else if (c[3] == 'R') {
        int total = (byte(4) << 16) | (byte(5) << 8) | byte(6);
        model_.scheduleOutputOff(ticksToMs(delay), static_cast<int64_t>(total) * kTickMs);
        *out += c.substr(0, 7);
      }
      return;
    }
    case 'B':
      model_.setAlarmEnabled(!model_.alarmEnabled());
      *out += 'B';
      return;
    default:
      return;
  }
}

std::string BinaryResponder::statusAnswer() {
  RawEncoder encoder(model_.profile());
  bool battery = model_.onBattery();
  uint8_t status = 0;
  bool test = model_.selfTestRunning();
  if (!model_.mainsPresent() || (test && flagsFailureDuringTest(model_.profile()))) {
    status |= 0x80;
  }
  if (model_.batteryLow()) status |= 0x40;
  if (test) status |= 0x04;
  if (model_.waitingToSleep()) status |= 0x02;
  if (model_.beeping()) status |= 0x01;

  std::string a;
  a += '#';
  a += static_cast<char>(encoder.encodeVolts(model_.inputVolts()));
  a += static_cast<char>(encoder.encodeVolts(model_.outputVolts()));
  a += static_cast<char>(encoder.encodeLoad(model_.load(), battery));
  a += '.';
  a += static_cast<char>(encoder.encodeCapacity(model_.capacity()));
  a += static_cast<char>(encoder.encodeTemperature(model_.temperature()));
  a += static_cast<char>(encoder.encodeFrequency(model_.frequency()));
  a += '.';
  a += static_cast<char>(status);
  a += static_cast<char>(~status & 0xFF);
  a += static_cast<char>(0x00);
  a += static_cast<char>(0xFF);
  a += kCr;
  return a;
}

std::string BinaryResponder::identityAnswer() const {
  const UpsProfile& p = model_.profile();
  std::string firmware = padded(p.firmware, 4);
  std::string a;
  a += '.';
  a += padded(p.name, 10);
  a += '.';
  a += static_cast<char>(std::clamp(p.nominal_volts, 0, 255));
  a += '.';
  a += static_cast<char>(std::clamp(p.nominal_hz, 0, 255));
  a += '.';
  a += firmware;
  a += kCr;
  return a;
}

std::string BinaryResponder::makerAnswer() const {
  return "." + padded(model_.profile().company, 20) + kCr;
}

}  // namespace gw

// Parsing and answers of the text protocol.
#include "sim/text_responder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "driver/media/media.h"

namespace gw {
namespace {

std::string joined(const std::vector<int>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(values[i]);
  }
  return out;
}

std::string decimal(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", value);
  return buf;
}

// The whole part in lower-case hexadecimal (upper-case B and F would read as tag letters), the
// tenths in decimal.
std::string hexadecimal(double value) {
  long tenths = std::lround(value * 10);
  if (tenths < 0) tenths = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lx.%ld", tenths / 10, tenths % 10);
  return buf;
}

bool contains(const std::vector<int>& values, int v) {
  for (int x : values) {
    if (x == v) return true;
  }
  return false;
}

// Digits only, at least one; the whole text.
bool parseDigits(const std::string& text, int* value) {
  if (text.empty() || text.size() > 6) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// "mm" → mm minutes, ".n" → n × 6 s, in milliseconds.
bool parseDelay(const std::string& text, int64_t* ms) {
  int v = 0;
  if (!text.empty() && text[0] == '.') {
    if (!parseDigits(text.substr(1), &v)) return false;
    *ms = static_cast<int64_t>(v) * 6000;
    return true;
  }
  if (!parseDigits(text, &v)) return false;
  *ms = static_cast<int64_t>(v) * 60000;
  return true;
}

}  // namespace

TextResponder::TextResponder(UpsModel& model, CommandLog& log, Clock& clock)
    : model_(model), log_(log), clock_(clock) {
  resetSettings();
}

void TextResponder::resetSettings() {
  int v = model_.profile().nominal_volts;
  nominal_for_settings_ = v;
  if (v >= 200) {
    battery_out_allowed_ = {220, 230, 240};
    input_high_allowed_ = {253, 257, 261, 265};
    input_low_allowed_ = {184, 188, 192, 196};
  } else {
    battery_out_allowed_ = {110, 120, 127};
    input_high_allowed_ = {132, 136, 140, 144};
    input_low_allowed_ = {96, 100, 104, 108};
  }
  battery_low_allowed_ = {10, 20, 30, 40};
  battery_out_ = contains(battery_out_allowed_, v) ? v : battery_out_allowed_[1];
  input_high_ = input_high_allowed_.back();
  input_low_ = input_low_allowed_.front();
  battery_low_ = 20;
}

uint32_t TextResponder::inputLines() { return LS_DSR | LS_CTS | LS_DCD; }

void TextResponder::dropStale() {
  if (!pending_.empty() && clock_.monotonicMs() - last_byte_ms_ > kStaleMs) {
    log_.recordBytes(pending_);
    pending_.clear();
  }
}

void TextResponder::tick() { dropStale(); }

void TextResponder::receive(const uint8_t* bytes, size_t count, std::string* out) {
  dropStale();
  if (count == 0) return;
  pending_.append(reinterpret_cast<const char*>(bytes), count);
  last_byte_ms_ = clock_.monotonicMs();
  // A model change to another voltage brings that model's settings.
  if (model_.profile().nominal_volts != nominal_for_settings_) resetSettings();
  size_t cr;
  while ((cr = pending_.find('\r')) != std::string::npos) {
    std::string command = pending_.substr(0, cr);
    log_.recordBytes(pending_.substr(0, cr + 1));
    pending_.erase(0, cr + 1);
    if (command.empty()) continue;  // the line-clearing carriage returns
    std::string reply;
    if (answer(command, &reply)) *out += "#" + reply + "\r";
  }
}

bool TextResponder::setting(int reg, int value) {
  switch (reg) {
    case 1:
      if (!contains(battery_out_allowed_, value)) return false;
      battery_out_ = value;
      return true;
    case 2:
      if (!contains(input_high_allowed_, value)) return false;
      input_high_ = value;
      return true;
    case 3:
      if (!contains(input_low_allowed_, value)) return false;
      input_low_ = value;
      return true;
    case 4:
      if (!contains(battery_low_allowed_, value)) return false;
      battery_low_ = value;
      return true;
    case 5:
      if (value > 1) return false;
      cold_start_ = value == 1;
      return true;
    case 6:
      if (value > 1) return false;
      auto_restart_ = value == 1;
      return true;
    case 7:
      if (value > 2) return false;
      model_.setAlarmEnabled(value == 2 ? !model_.alarmEnabled() : value == 1);
      return true;
    default:
      return false;
  }
}

bool TextResponder::answer(const std::string& c, std::string* out) {
  const UpsProfile& p = model_.profile();
  if (c == "D") {
    *out = statusAnswer();
    return true;
  }
  if (c.size() == 2 && c[0] == 'P') {
    switch (c[1]) {
      case '1':
        *out = joined({battery_out_, input_high_, input_low_, battery_low_});
        return true;
      case '2':
        *out = std::to_string(p.va) + "," + std::to_string(p.watt) + "," +
               std::to_string(p.nominal_volts) + "," + std::to_string(p.nominal_hz - 5) + "," +
               std::to_string(p.nominal_hz + 5);
        return true;
      case '3':
        *out = decimal(p.battery_volts) + "," + std::to_string(p.battery_count) + "," +
               decimal(p.battery_ah) + ",0";
        return true;
      case '4':
        *out = p.name + "," + p.firmware + "," + p.serial + "," + p.company;
        return true;
      case '5':
        *out = joined(battery_out_allowed_);
        return true;
      case '6':
        *out = joined(input_high_allowed_);
        return true;
      case '7':
        *out = joined(input_low_allowed_);
        return true;
      case '8':
        *out = joined(battery_low_allowed_);
        return true;
      case '9': {
        unsigned a = 0x80 | 0x40 | 0x20;
        if (p.hex_numbers) a |= 0x08;
        unsigned b = 0x80;
        if (cold_start_) b |= 0x40;
        if (auto_restart_) b |= 0x20;
        if (model_.alarmEnabled()) b |= 0x10;
        *out = {static_cast<char>(a), static_cast<char>(0x80), static_cast<char>(b)};
        return true;
      }
      default:
        return false;
    }
  }
  if (c == "C") {
    model_.cancelSchedule();
    *out = "0";
    return true;
  }
  if (c == "CT") {
    model_.cancelSelfTest();
    *out = "0";
    return true;
  }
  if (c[0] == 'C') {
    size_t colon = c.find(':');
    int reg = 0, value = 0;
    if (colon == std::string::npos || !parseDigits(c.substr(1, colon - 1), &reg) ||
        !parseDigits(c.substr(colon + 1), &value)) {
      return false;
    }
    *out = setting(reg, value) ? "0" : "1";
    return true;
  }
  if (c[0] == 'T') {
    int64_t ms = 0;
    if (!parseDelay(c.substr(1), &ms)) return false;
    model_.startSelfTest(ms);
    *out = "0";
    return true;
  }
  if (c[0] == 'S') {
    size_t r = c.find('R');
    int64_t delay = 0;
    if (!parseDelay(c.substr(1, r == std::string::npos ? std::string::npos : r - 1), &delay)) {
      return false;
    }
    int64_t restore = -1;
    if (r != std::string::npos) {
      int minutes = 0;
      if (!parseDigits(c.substr(r + 1), &minutes)) return false;
      restore = static_cast<int64_t>(minutes) * 60000;
    }
    model_.scheduleOutputOff(delay, restore);
    *out = "0";
    return true;
  }
  return false;
}

std::string TextResponder::statusAnswer() {
  unsigned s = 0x80;
  if (!model_.mainsPresent()) s |= 0x40;
  if (model_.batteryLow()) s |= 0x20;
  if (model_.beeping()) s |= 0x10;
  if (model_.selfTestRunning()) s |= 0x08;
  if (model_.waitingToSleep()) s |= 0x04;
  if (model_.waitingToWake()) s |= 0x02;
  auto number = model_.profile().hex_numbers ? hexadecimal : decimal;
  std::string a = "I" + number(model_.inputVolts()) + "O" + number(model_.outputVolts()) + "L" +
                  number(model_.load()) + "B" + number(model_.capacity()) + "T" +
                  number(model_.temperature()) + "F" + number(model_.frequency()) + "S";
  a += static_cast<char>(s);
  a += static_cast<char>(0x80);
  return a;
}

}  // namespace gw

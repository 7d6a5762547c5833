// The text-protocol UPS: its framing, field lists, queries, settings and commands.
#include "driver/devices/text_device.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "common/line_file.h"

namespace gw {
namespace {

// The poll answer's field tags, in the order of the fields below.
constexpr std::string_view kPollTags = "IOLBTFS";
enum PollField : size_t {
  FIELD_INVOLT = 0,
  FIELD_OUTVOLT = 1,
  FIELD_LOAD = 2,
  FIELD_CAPACITY = 3,
  FIELD_TEMP = 4,
  FIELD_FREQ = 5,
  FIELD_STATUS = 6,
  kPollFieldCount = 7,
};
constexpr size_t kNumericFieldCount = FIELD_STATUS;

// The bits of the status field's first character.
constexpr int kBitWaitWakeup = 1;
constexpr int kBitWaitSleep = 2;
constexpr int kBitSelfTest = 3;
constexpr int kBitAlarm = 4;
constexpr int kBitBatteryLow = 5;
constexpr int kBitPowerFail = 6;

// The backup estimate scales the full-load time by the unused share of the load, (100 - h) %.
// An overloaded UPS reports more than 100 %, which would make that share zero or negative and
// the backup time nonsense; such a load is taken as 90 %, so the estimate stays small but
// positive while the UPS still carries the load.
constexpr int64_t kFullLoadPercent = 100;
constexpr int64_t kOverloadEstimatePercent = 90;

bool isTag(char c) { return kPollTags.find(c) != std::string_view::npos; }

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> splitFields(std::string_view body) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = body.find(',', start);
    fields.push_back(body.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), pattern, args...);
  return buffer;
}

int bit(int byte, int n) { return (byte >> n) & 1; }

}  // namespace

TextDevice::TextDevice(Media& media, Clock& clock) : MediaDevice(media, clock) {
  startDataLine(kBaud);
}

bool TextDevice::parseHundredths(std::string_view text, int base, int32_t* value) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  int64_t number = 0;
  for (char c : whole) {
    const int d = digitValue(c);
    if (d >= base) return false;
    number = number * base + d;
    if (number > 20000000) return false;
  }
  int hundredths = 0;
  for (size_t i = 0; i < fraction.size(); ++i) {
    const int d = digitValue(fraction[i]);
    if (d >= 10) return false;
    if (i == 0) hundredths += d * 10;
    if (i == 1) hundredths += d;
  }
  const int64_t result = number * 100 + hundredths;
  *value = static_cast<int32_t>(negative ? -result : result);
  return true;
}

ResultCode TextDevice::ask(std::string_view command, std::string* body) {
  Exchange e = Exchange::of(command, Exchange::kWhatever);
  const ResultCode rc = transact(&e);
  if (rc != RC_OK) return rc;
  if (e.received == 0) return RC_SHORT_REPLY;
  const std::string_view answer = e.answerText();
  if (answer.size() < 2 || answer.front() != '#' || answer.back() != '\r') return RC_BAD_REPLY;
  *body = std::string(answer.substr(1, answer.size() - 2));
  return RC_OK;
}

ResultCode TextDevice::poll() {
  if (status_[STATUS_CONNECT] == 0 && !dsrAsserted()) return RC_NO_DEVICE;
  int attempt = 0;
  const ResultCode rc = retry(3, [&] {
    if (attempt++ > 0) {
      Exchange drain = Exchange::of("", Exchange::kWhatever);
      // Only empties whatever a garbled answer left behind.
      (void)transact(&drain);
    }
    return pollOnce();
  });
  if (rc == RC_OK) setStatus(STATUS_CONNECT, 1);
  return rc;
}

ResultCode TextDevice::pollOnce() {
  std::string body;
  ResultCode rc = ask("D\r", &body);
  if (rc != RC_OK) return rc;
  std::string_view fields[kPollFieldCount];
  bool present[kPollFieldCount] = {};
  const std::string_view text(body);
  size_t i = 0;
  while (i < text.size()) {
    const size_t slot = kPollTags.find(text[i]);
    if (slot == std::string_view::npos) return RC_BAD_REPLY;
    size_t end = i + 1;
    // The status characters are flag bits and may look like tag letters.
    if (slot == FIELD_STATUS) end = std::min(text.size(), end + 2);
    while (end < text.size() && !isTag(text[end])) ++end;
    fields[slot] = text.substr(i + 1, end - i - 1);
    present[slot] = true;
    i = end;
  }
  if (!values_.has(E_TEXT_HEX) && !hex_flag_asked_) {
    hex_flag_asked_ = true;
    // A UPS that cannot tell is read in decimal, the common case.
    (void)ensure(E_TEXT_HEX);
  }
  int32_t hex = 0;
  const int base = values_.getInt(E_TEXT_HEX, &hex) == RC_OK && hex != 0 ? 16 : 10;
  int32_t numbers[kNumericFieldCount] = {};
  for (size_t f = 0; f < kNumericFieldCount; ++f) {
    if (!present[f] || !parseHundredths(fields[f], base, &numbers[f])) return RC_BAD_REPLY;
  }
  if (!present[FIELD_STATUS] || fields[FIELD_STATUS].size() < 2) return RC_BAD_REPLY;
  const int32_t load = numbers[FIELD_LOAD];
  const int32_t capacity = numbers[FIELD_CAPACITY];

  int32_t battery_count = 0;
  int32_t battery_ah = 0;
  rc = ensure(E_BATNUM);
  if (rc == RC_OK) rc = values_.getInt(E_BATNUM, &battery_count);
  if (rc == RC_OK) rc = values_.getInt(E_BATAH, &battery_ah);
  if (rc != RC_OK) return rc;
  int64_t h = load / 100;  // whole percent
  if (h > kFullLoadPercent) h = kOverloadEstimatePercent;
  const int64_t x = static_cast<int64_t>(capacity) * (battery_count / 100) * battery_ah * 2 / 100;
  const int64_t backup = (x / 100) * (100 - h) / 100;

  const int s = static_cast<uint8_t>(fields[FIELD_STATUS][0]);
  setStatus(STATUS_INVOLT, numbers[FIELD_INVOLT]);
  setStatus(STATUS_OUTVOLT, numbers[FIELD_OUTVOLT]);
  setStatus(STATUS_CAPACITY, capacity);
  setStatus(STATUS_LOAD, load);
  setStatus(STATUS_TEMP, numbers[FIELD_TEMP]);
  setStatus(STATUS_FREQ, numbers[FIELD_FREQ]);
  setStatus(STATUS_BACKUP, static_cast<int32_t>(backup));
  setStatus(STATUS_POWERFAIL, bit(s, kBitPowerFail));
  setStatus(STATUS_BATTERYLO, bit(s, kBitBatteryLow));
  setStatus(STATUS_TEST, bit(s, kBitSelfTest));
  setStatus(STATUS_WAITSLEEP, bit(s, kBitWaitSleep));
  setStatus(STATUS_WAITWAKEUP, bit(s, kBitWaitWakeup));
  setStatus(STATUS_BEEP, bit(s, kBitAlarm));
  return RC_OK;
}

int TextDevice::queryFor(int element) {
  if (element >= E_INPUTHI && element <= E_BATOUT) return 1;
  if (element >= E_VOLT && element <= E_WATT) return 2;
  if (element >= E_BATVOLT && element <= E_BATEXT) return 3;
  if (element >= E_MODEL && element <= E_COMPANY) return 4;
  switch (element) {
    case E_BATOUT_RANGE: return 5;
    case E_INPUTHI_RANGE: return 6;
    case E_INPUTLO_RANGE: return 7;
    case E_BATTERYLO_RANGE: return 8;
    case E_AUTORESTART:
    case E_COLDSTART:
    case E_ALARM:
    case E_AVR:
    case E_UPSTECH:
    case E_TEXT_FLAG31:
    case E_TEXT_HEX: return 9;
    default: return 0;
  }
}

ResultCode TextDevice::ensure(int element) {
  if (values_.has(element)) return RC_OK;
  const int q = queryFor(element);
  return q == 0 ? RC_OK : query(q);
}

ResultCode TextDevice::query(int number) {
  const std::string command = "P" + std::to_string(number) + "\r";
  return retry(2, [&]() -> ResultCode {
    std::string body;
    const ResultCode rc = ask(command, &body);
    if (rc != RC_OK) return rc;
    const std::vector<std::string_view> fields = splitFields(body);
    const auto numbers = [&](std::initializer_list<int> elements, bool whole_units) {
      if (fields.size() < elements.size()) return RC_BAD_REPLY;
      int32_t parsed[5] = {};
      size_t i = 0;
      for (; i < elements.size(); ++i) {
        if (!parseHundredths(fields[i], 10, &parsed[i])) return RC_BAD_REPLY;
      }
      i = 0;
      for (int element : elements) {
        values_.setInt(element, whole_units ? parsed[i] / 100 : parsed[i]);
        ++i;
      }
      return RC_OK;
    };
    switch (number) {
      case 1: return numbers({E_BATOUT, E_INPUTHI, E_INPUTLO, E_BATTERYLO}, true);
      case 2: return numbers({E_VA, E_WATT, E_VOLT, E_FREQLO, E_FREQHI}, false);
      case 3: return numbers({E_BATVOLT, E_BATNUM, E_BATAH, E_BATEXT}, false);
      case 4: {
        if (fields.size() < 4) return RC_BAD_REPLY;
        for (int i = 0; i < 4; ++i) {
          std::string_view f = fields[static_cast<size_t>(i)];
          while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
          values_.setText(E_MODEL + i, f.substr(0, f.find(' ')));
        }
        return RC_OK;
      }
      case 5: values_.setText(E_BATOUT_RANGE, body); return RC_OK;
      case 6: values_.setText(E_INPUTHI_RANGE, body); return RC_OK;
      case 7: values_.setText(E_INPUTLO_RANGE, body); return RC_OK;
      case 8: values_.setText(E_BATTERYLO_RANGE, body); return RC_OK;
      case 9: {
        if (body.empty()) return RC_BAD_REPLY;
        for (char c : body) {
          if ((static_cast<uint8_t>(c) & 0x80) == 0) return RC_BAD_REPLY;
        }
        const int a = static_cast<uint8_t>(body[0]);
        int b = body.size() >= 3 ? static_cast<uint8_t>(body[2]) : 0;
        if (b == 0) b = 240;
        values_.setInt(E_TEXT_FLAG31, bit(a, 4) ? 0 : 1);
        values_.setInt(E_TEXT_HEX, bit(a, 3));
        values_.setInt(E_UPSTECH, bit(a, 5));
        values_.setInt(E_AVR, bit(a, 6));
        values_.setInt(E_AUTORESTART, bit(b, 5));
        values_.setInt(E_COLDSTART, bit(b, 6));
        values_.setInt(E_ALARM, bit(b, 4));
        return RC_OK;
      }
      default: return RC_UNSUPPORTED;
    }
  });
}

ResultCode TextDevice::getSetting(int n, int selector, int32_t* value) {
  if (n < E_INPUTHI || n > E_SENSITIVITY) return RC_UNSUPPORTED;
  if (n == E_SENSITIVITY) {
    *value = 0;
    return RC_OK;
  }
  if (selector != 0) return values_.getSecondaryInt(n, value);
  const ResultCode rc = ensure(n);
  if (rc != RC_OK) return rc;
  return values_.getInt(n, value);
}

ResultCode TextDevice::getAlarm(bool* on) {
  int32_t value = 0;
  ResultCode rc = ensure(E_ALARM);
  if (rc == RC_OK) rc = values_.getInt(E_ALARM, &value);
  if (rc != RC_OK) return rc;
  *on = value != 0;
  return RC_OK;
}

ResultCode TextDevice::getText(int element, char* buffer, size_t* size) {
  if (element < E_INPUTHI_RANGE || element > E_COMPANY) return RC_UNSUPPORTED;
  const ResultCode rc = ensure(element);
  if (rc != RC_OK) return rc;
  return values_.getText(element, buffer, size);
}

ResultCode TextDevice::getNumber(int element, int32_t* value) {
  if (element < E_VOLT || element >= ValueTable::kElementCount) return RC_UNSUPPORTED;
  const ResultCode rc = ensure(element);
  if (rc != RC_OK) return rc;
  return values_.getInt(element, value);
}

ResultCode TextDevice::confirmed(std::string_view command) {
  std::string body;
  const ResultCode rc = ask(command, &body);
  if (rc != RC_OK) return rc;
  long long refusal = 0;
  if (parseWholeInt(body, &refusal) && refusal > 0) return RC_UNSUPPORTED;
  return RC_OK;
}

ResultCode TextDevice::writeRegister(int reg, int width, int32_t value) {
  int32_t limit = 1;
  for (int i = 0; i < width; ++i) limit *= 10;
  if (value < 0 || value >= limit) return RC_BAD_VALUE;
  const std::string command = format("C%d:%.*d\r", reg, width, value);
  bool refused = false;
  const ResultCode rc = retry(2, [&] {
    const ResultCode r = confirmed(command);
    if (r == RC_UNSUPPORTED) {
      // A refusal is the UPS's answer, not a failed attempt.
      refused = true;
      return RC_OK;
    }
    return r;
  });
  if (rc != RC_OK) return rc;
  return refused ? RC_UNSUPPORTED : RC_OK;
}

ResultCode TextDevice::setSetting(int n, int32_t value) {
  struct Row {
    int reg;
    int width;
  };
  static constexpr Row kRows[] = {{2, 3}, {3, 3}, {4, 2}, {1, 3}, {6, 1}, {5, 1}};
  if (n < E_INPUTHI || n > E_COLDSTART) return RC_UNSUPPORTED;
  const Row& row = kRows[n];
  const ResultCode rc = writeRegister(row.reg, row.width, value);
  if (rc == RC_OK) values_.setInt(n, value);
  return rc;
}

ResultCode TextDevice::setAlarm(int32_t value) {
  const int32_t on = value != 0 ? 1 : 0;
  const ResultCode rc = writeRegister(7, 1, on);
  if (rc == RC_OK) values_.setInt(E_ALARM, on);
  return rc;
}

ResultCode TextDevice::toggleBuzzer() {
  const ResultCode rc = writeRegister(7, 1, 2);
  int32_t on = 0;
  if (rc == RC_OK && values_.getInt(E_ALARM, &on) == RC_OK) values_.setInt(E_ALARM, on ? 0 : 1);
  return rc;
}

ResultCode TextDevice::selfTest(int32_t seconds) {
  std::string command;
  if (seconds == -1) {
    command = "CT\r";
  } else if (seconds < 0) {
    return RC_BAD_VALUE;
  } else if (seconds >= 60) {
    command = format("T%.2d\r", std::min(seconds / 60, 99));
  } else {
    command = format("T.%d\r", std::max(seconds / 6, 1));
  }
  Exchange e = Exchange::of(command, Exchange::kWhatever);
  const ResultCode rc = transact(&e);
  if (rc == RC_OK) return rc;
  return connected() ? rc : RC_NO_DEVICE;
}

ResultCode TextDevice::sleep(int32_t delay_seconds, int32_t restore_seconds) {
  std::string command;
  if (delay_seconds == -1 && restore_seconds == -1) {
    command = "C\r";
  } else if (delay_seconds < 0 || restore_seconds < 0) {
    return RC_BAD_VALUE;
  } else {
    const int64_t total = static_cast<int64_t>(delay_seconds) + restore_seconds;
    const int r = static_cast<int>(std::clamp<int64_t>(total / 60, 1, 9999));
    const int d = delay_seconds / 60;
    command = d >= 1 ? format("S%.2dR%.4d\r", std::min(d, 10), r)
                     : format("S.%.1dR%.4d\r", std::max(delay_seconds / 6, 1), r);
  }
  const ResultCode rc = confirmed(command);
  if (!isTransportFailure(rc)) return rc;
  return connected() ? rc : RC_NO_DEVICE;
}

ResultCode TextDevice::shutdown(int32_t delay_seconds) {
  std::string command;
  if (delay_seconds == -1) {
    command = "C\r";
  } else if (delay_seconds < 0) {
    return RC_BAD_VALUE;
  } else {
    const int m = delay_seconds / 60;
    command = m >= 1 ? format("S%.2d\r", std::min(m, 10)) : format("S.%.1d\r", 2);
  }
  const ResultCode rc = confirmed(command);
  if (!isTransportFailure(rc)) return rc;
  return connected() ? rc : RC_NO_DEVICE;
}

}  // namespace gw

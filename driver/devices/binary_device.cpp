// The binary-protocol UPS: framing of its answers, its registers and its commands.
#include "driver/devices/binary_device.h"

#include <algorithm>

#include "common/result_code.h"
#include "driver/model/model_table.h"
#include "driver/model/setting_codes.h"

namespace gw {
namespace {

constexpr int kStatusAnswer = 14;
constexpr int kIdentityAnswer = 21;
constexpr int kCompanyAnswer = 22;

std::string bytesOf(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(static_cast<uint8_t>(b)));
  return s;
}

}  // namespace

BinaryDevice::BinaryDevice(Media& media, Clock& clock) : MediaDevice(media, clock) {
  startDataLine(kBaud);
}

ResultCode BinaryDevice::readIdentity() {
  Exchange e;
  const ResultCode rc = retry(3, [&] {
    e = Exchange::of("F\r", kIdentityAnswer);
    const ResultCode t = transact(&e);
    if (t != RC_OK) return t;
    const uint8_t* a = e.answer;
    if (a[0] != '.' || a[11] != '.' || a[13] != '.' || a[15] != '.' || a[20] != '\r') {
      return RC_BAD_REPLY;
    }
    return RC_OK;
  });
  if (rc != RC_OK) return rc;
  const std::string_view answer = e.answerText();
  values_.setInt(E_VOLT, e.answer[12]);
  values_.setInt(E_FREQLO, e.answer[14]);
  std::string_view model = answer.substr(1, 10);
  while (!model.empty() && (model.back() == ' ' || model.back() == '\r' || model.back() == '\0')) {
    model.remove_suffix(1);
  }
  values_.setText(E_MODEL, model);
  std::string firmware;
  firmware.push_back(answer[16]);
  firmware.push_back('.');
  firmware.append(answer.substr(17, 3));
  values_.setText(E_FWVER, firmware);
  return identify();
}

ResultCode BinaryDevice::identify() {
  std::string model(values_.text(E_MODEL));
  int index = 0;
  int family = 0;
  const ResultCode rc = ModelTable::identify(&model, &index, &family);
  if (model.empty()) {
    values_.clear(E_MODEL);
  } else {
    values_.setText(E_MODEL, model);
  }
  if (rc != RC_OK) return rc;
  values_.setInt(E_MODEL_INDEX, index);
  values_.setInt(E_MODEL_FAMILY, family);
  return calibrate();
}

ResultCode BinaryDevice::readCompany() {
  Exchange e;
  const ResultCode rc = retry(2, [&] {
    e = Exchange::of("N\r", kCompanyAnswer);
    const ResultCode t = transact(&e);
    if (t != RC_OK) return t;
    return e.answer[0] == '.' && e.answer[21] == '\r' ? RC_OK : RC_BAD_REPLY;
  });
  if (rc != RC_OK) return rc;
  std::string_view company = e.answerText().substr(1, 20);
  // The value travels as a C string on the pipe.
  company = company.substr(0, company.find('\0'));
  values_.setText(E_COMPANY, company);
  return RC_OK;
}

ResultCode BinaryDevice::calibrate() {
  if (calibrated_ || calibrating_) return RC_OK;
  calibrating_ = true;
  CalibrationInputs in;
  int32_t value = 0;
  ResultCode rc = readRegisterElement(E_AVR, &value);
  in.avr = value != 0;
  if (rc == RC_OK) rc = readRegisterElement(E_LINE_CLASS, &in.line_class);
  if (rc == RC_OK && (!values_.has(E_MODEL_INDEX) || !values_.has(E_MODEL_FAMILY))) {
    rc = readIdentity();
  }
  if (rc == RC_OK) rc = values_.getInt(E_MODEL_INDEX, &in.model_index);
  if (rc == RC_OK) rc = values_.getInt(E_MODEL_FAMILY, &in.family);
  if (rc == RC_OK) rc = readRegisterElement(E_VOLTAGE_VARIANT, &in.voltage_variant);
  Calibration chosen;
  if (rc == RC_OK) rc = Calibration::choose(in, &chosen);
  calibrating_ = false;
  if (rc != RC_OK) return rc;

  calibration_ = chosen;
  converter_.resetCounters();
  for (int element = E_INPUTHI; element <= E_BATOUT; ++element) {
    const SettingTable* table = calibration_.settingTable(element);
    values_.setSecondaryInt(element, table->defaultValue());
    values_.setText(E_INPUTHI_RANGE + element, table->allowedValues());
  }
  values_.setSecondaryInt(E_AUTORESTART, 1);
  values_.setSecondaryInt(E_COLDSTART, 1);
  values_.setSecondaryInt(E_SENSITIVITY, 0);
  values_.setSecondaryInt(E_VOLTAGE_VARIANT, 0);
  calibrated_ = true;
  return RC_OK;
}

ResultCode BinaryDevice::readRegisterElement(int element, int32_t* value) {
  if (!values_.has(element)) {
    ResultCode rc = calibrate();
    if (rc != RC_OK) return rc;
    // Calibration reads the identity registers itself.
    if (!values_.has(element)) rc = fetchRegister(element);
    if (rc != RC_OK) return rc;
  }
  return values_.getInt(element, value);
}

ResultCode BinaryDevice::fetchRegister(int element) {
  int reg = 0;
  ResultCode rc = settingRegister(element, &reg);
  if (rc != RC_OK) return rc;
  uint8_t raw = 0;
  rc = retry(2, [&] {
    Exchange e = Exchange::of(bytesOf({'R', reg, '\r'}), 2);
    const ResultCode t = transact(&e);
    if (t != RC_OK) return t;
    if (e.answer[0] != 'R') return RC_BAD_REPLY;
    raw = e.answer[1];
    return RC_OK;
  });
  if (rc != RC_OK) return rc;
  DecodedSetting decoded;
  rc = decodeSetting(calibrated_ ? &calibration_ : nullptr, element, raw, &decoded);
  if (rc != RC_OK) return rc;
  for (int i = 0; i < decoded.count; ++i) values_.setInt(decoded.elements[i], decoded.values[i]);
  if (reg == kFlagsRegister) held_flags_ = raw;
  return RC_OK;
}

ResultCode BinaryDevice::writeRegister(int reg, uint8_t raw) {
  const std::string command = bytesOf({'Q', reg, raw, '\r'});
  return retry(2, [&] {
    Exchange e = Exchange::of(command, 3);
    const ResultCode t = transact(&e);
    if (t != RC_OK) return t;
    return std::equal(e.answer, e.answer + 3, e.command) ? RC_OK : RC_BAD_REPLY;
  });
}

ResultCode BinaryDevice::getSetting(int n, int selector, int32_t* value) {
  if (n < E_INPUTHI || n > E_SENSITIVITY) return RC_UNSUPPORTED;
  if (selector == 0) return readRegisterElement(n, value);
  const ResultCode rc = calibrate();
  if (rc != RC_OK) return rc;
  return values_.getSecondaryInt(n, value);
}

ResultCode BinaryDevice::setSetting(int n, int32_t value) {
  if (n < E_INPUTHI || n > E_SENSITIVITY) return RC_UNSUPPORTED;
  int32_t current = 0;
  ResultCode rc = readRegisterElement(n, &current);
  if (rc != RC_OK) return rc;
  if (current == value) return RC_OK;
  int reg = 0;
  rc = settingRegister(n, &reg);
  if (rc != RC_OK) return rc;
  uint8_t raw = 0;
  rc = encodeSetting(calibration(), n, value, held_flags_, &raw);
  if (rc != RC_OK) return rc;
  values_.setInt(n, value);
  rc = writeRegister(reg, raw);
  if (rc != RC_OK) {
    values_.setInt(n, current);
    return rc;
  }
  if (reg == kFlagsRegister) held_flags_ = raw;
  return RC_OK;
}

ResultCode BinaryDevice::getAlarm(bool* on) {
  int32_t value = 0;
  const ResultCode rc = values_.getInt(E_ALARM, &value);
  if (rc != RC_OK) return rc;
  *on = value != 0;
  return RC_OK;
}

ResultCode BinaryDevice::getText(int element, char* buffer, size_t* size) {
  if (element < E_INPUTHI_RANGE || element > E_COMPANY) return RC_UNSUPPORTED;
  if (!values_.has(element)) {
    ResultCode rc = RC_OK;
    if (element <= E_BATOUT_RANGE) {
      rc = calibrate();
    } else if (element == E_MODEL || element == E_FWVER) {
      rc = readIdentity();
    } else if (element == E_COMPANY) {
      rc = readCompany();
    }
    if (rc != RC_OK) return rc;
  }
  return values_.getText(element, buffer, size);
}

ResultCode BinaryDevice::getNumber(int element, int32_t* value) {
  if (element < E_VOLT || element >= ValueTable::kElementCount) return RC_UNSUPPORTED;
  switch (element) {
    case E_AVR:
    case E_LINE_CLASS:
    case E_VOLTAGE_VARIANT: return readRegisterElement(element, value);
    case E_VOLT:
    case E_FREQLO:
    case E_MODEL_INDEX:
    case E_MODEL_FAMILY:
      if (!values_.has(element)) {
        const ResultCode rc = readIdentity();
        if (rc != RC_OK) return rc;
      }
      break;
    default: break;
  }
  return values_.getInt(element, value);
}

ResultCode BinaryDevice::poll() {
  if (status_[STATUS_CONNECT] == 0 && !dsrAsserted()) return RC_NO_DEVICE;
  const ResultCode rc = retry(3, [&] { return pollOnce(); });
  if (rc == RC_OK) setStatus(STATUS_CONNECT, 1);
  return rc;
}

ResultCode BinaryDevice::pollOnce() {
  Exchange e = Exchange::of("D\r", kStatusAnswer);
  ResultCode rc = transact(&e);
  if (rc != RC_OK) return rc;
  const uint8_t* a = e.answer;
  if (a[0] != '#' || a[4] != '.' || a[8] != '.' || a[10] != static_cast<uint8_t>(~a[9]) ||
      a[12] != static_cast<uint8_t>(~a[11]) || a[13] != '\r') {
    return RC_BAD_REPLY;
  }
  rc = calibrate();
  if (rc != RC_OK) return rc;
  int32_t index = 0;
  int32_t family = 0;
  if (values_.getInt(E_MODEL_INDEX, &index) != RC_OK ||
      values_.getInt(E_MODEL_FAMILY, &family) != RC_OK || index == 0 || family == 0) {
    return RC_NOT_DETECTED;
  }
  const StatusFlags flags = StatusFlags::decode(a[9], index, family);
  int32_t bat_out = 0;
  if (flags.on_battery) {
    rc = readRegisterElement(E_BATOUT, &bat_out);
    if (rc != RC_OK) return rc;
  }
  int32_t avr = 0;
  rc = readRegisterElement(E_AVR, &avr);
  if (rc != RC_OK) return rc;
  const RawStatus raw{a[1], a[2], a[3], a[5], a[6], a[7], a[9]};
  StatusValues values = status_;
  converter_.convert(calibration_, raw, flags, avr != 0, family, bat_out, &values);
  for (int n = 0; n < kStatusCount; ++n) {
    if (n != STATUS_CONNECT) setStatus(n, values[static_cast<size_t>(n)]);
  }
  return RC_OK;
}

ResultCode BinaryDevice::command(std::string_view bytes, int answer_length) {
  Exchange e = Exchange::of(bytes, answer_length);
  ResultCode rc = transact(&e);
  // A cancel takes whatever the UPS sends back, but it must send something.
  if (rc == RC_OK && answer_length == Exchange::kWhatever && e.received == 0) rc = RC_SHORT_REPLY;
  if (rc == RC_OK) return rc;
  return connected() ? rc : RC_NO_DEVICE;
}

ResultCode BinaryDevice::selfTest(int32_t seconds) {
  if (seconds == -1) return command("CT\r", Exchange::kWhatever);
  if (seconds < 0) return RC_BAD_VALUE;
  const int64_t t = std::min<int64_t>(ticks(seconds), 255);
  return command(bytesOf({'T', static_cast<int>(t), '\r'}), 2);
}

ResultCode BinaryDevice::sleep(int32_t delay_seconds, int32_t restore_seconds) {
  if (delay_seconds == -1 && restore_seconds == -1) return command("CS\r", Exchange::kWhatever);
  if (delay_seconds < 0 || restore_seconds < 0) return RC_BAD_VALUE;
  const int64_t total = static_cast<int64_t>(delay_seconds) + restore_seconds;
  if (delay_seconds > kMaxDelaySeconds || total > kMaxRestoreSeconds) return RC_BAD_VALUE;
  const int64_t d = ticks(delay_seconds);
  const int64_t r = ticks(total);
  return command(bytesOf({'S', static_cast<int>(d >> 8), static_cast<int>(d & 0xFF), 'R',
                          static_cast<int>(r >> 16), static_cast<int>((r >> 8) & 0xFF),
                          static_cast<int>(r & 0xFF), '\r'}),
                 7);
}

ResultCode BinaryDevice::shutdown(int32_t delay_seconds) {
  if (delay_seconds == -1) return command("CS\r", Exchange::kWhatever);
  if (delay_seconds < 0 || delay_seconds > kMaxDelaySeconds) return RC_BAD_VALUE;
  const int64_t d = ticks(delay_seconds);
  return command(bytesOf({'S', static_cast<int>(d >> 8), static_cast<int>(d & 0xFF), 'W', '\r'}),
                 4);
}

ResultCode BinaryDevice::toggleBuzzer() { return command("B\r", 1); }

}  // namespace gw

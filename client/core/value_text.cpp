// Text forms of status values and result codes.
#include "client/core/value_text.h"

#include <array>
#include <string_view>

namespace gw {
namespace {

enum class Unit { kVolt, kPercent, kCelsius, kHertz, kSeconds, kFlag };

struct StatusRow {
  std::string_view description;
  Unit unit;
};

// In catalogue order, so a row's position is the status index and the variable's position.
constexpr std::array<StatusRow, kStatusCount> kStatusRows = {{
    {"input voltage", Unit::kVolt},
    {"output voltage", Unit::kVolt},
    {"battery capacity", Unit::kPercent},
    {"load", Unit::kPercent},
    {"temperature", Unit::kCelsius},
    {"input frequency", Unit::kHertz},
    {"backup time", Unit::kSeconds},
    {"mains failed", Unit::kFlag},
    {"battery low", Unit::kFlag},
    {"battery test running", Unit::kFlag},
    {"waiting to sleep", Unit::kFlag},
    {"waiting to wake up", Unit::kFlag},
    {"UPS answering", Unit::kFlag},
    {"UPS alarm enabled", Unit::kFlag},
}};

struct CodeRow {
  int code;
  std::string_view meaning;
};

constexpr CodeRow kCodeMeanings[] = {
    {RC_OK, "ok"},
    {RC_UNSUPPORTED, "not supported by this UPS"},
    {RC_NOT_AVAILABLE, "not available"},
    {RC_BAD_VALUE, "bad value"},
    {RC_BUFFER_TOO_SMALL, "text too long"},
    {RC_SHORT_WRITE, "short write to the UPS"},
    {RC_SHORT_REPLY, "short reply from the UPS"},
    {RC_NO_DEVICE, "no UPS"},
    {RC_BAD_REPLY, "bad reply from the UPS"},
    {RC_NOT_DETECTED, "UPS not detected"},
    {RC_NOT_A_SETTING, "no such setting on this UPS"},
    {RC_READ_ONLY, "read-only on this UPS"},
    {RC_NO_TABLE_ENTRY, "value not allowed by this UPS"},
    {RC_PIPE_BROKEN, "driver not running"},
    {RC_MISSING_ARGUMENT, "malformed driver reply"},
    {RC_LINE_FAILURE, "line failure"},
    {RC_TIMEOUT, "UPS time-out"},
    {RC_NO_MEMORY, "out of memory"},
    {RC_DEVICE_CHANGED, "UPS changed"},
    {RC_SOCKET_ERROR, "connection failed"},
    {RC_ERR_WITHOUT_NUMBER, "error without a code"},
    {RC_BAD_SETTING, "unknown key or value not taken"},
    {RC_BAD_REQUEST, "bad request"},
    {RC_REFUSED, "refused by the service's address rules"},
    {RC_ACCESS_DENIED, "access denied"},
};

std::string formatValue(Unit unit, int32_t value) {
  switch (unit) {
    case Unit::kVolt:
      return formatHundredths(value) + " V";
    case Unit::kPercent:
      return formatHundredths(value) + " %";
    case Unit::kCelsius:
      return formatHundredths(value) + " \u00B0C";
    case Unit::kHertz:
      return formatHundredths(value) + " Hz";
    case Unit::kSeconds:
      return formatBackupTime(value);
    case Unit::kFlag:
      return value != 0 ? "yes" : "no";
  }
  return std::to_string(value);
}

}  // namespace

std::string formatHundredths(int64_t hundredths) {
  // Sign apart, so that -5 reads "-0.05" and not "0.-5".
  bool negative = hundredths < 0;
  uint64_t magnitude =
      negative ? static_cast<uint64_t>(-(hundredths + 1)) + 1 : static_cast<uint64_t>(hundredths);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / 100);
  unsigned fraction = static_cast<unsigned>(magnitude % 100);
  if (fraction != 0) {
    text.push_back('.');
    text.push_back(static_cast<char>('0' + fraction / 10));
    if (fraction % 10 != 0) text.push_back(static_cast<char>('0' + fraction % 10));
  }
  return text;
}

std::string formatBackupTime(int64_t seconds) {
  if (seconds < 60) return std::to_string(seconds) + " s";
  return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

std::string resultCodeMeaning(int code) {
  for (const CodeRow& row : kCodeMeanings) {
    if (row.code == code) return std::string(row.meaning);
  }
  return "error";
}

std::string failedReadText(int code) {
  return resultCodeMeaning(code) + " (" + std::to_string(code) + ")";
}

std::string_view statusVariableName(int index) {
  if (index < 0 || index >= static_cast<int>(kStatusRows.size())) return {};
  return kDeviceVariables[static_cast<size_t>(index)].name;
}

std::string formatStatusLine(int index, ResultCode code, int32_t value) {
  if (index < 0 || index >= static_cast<int>(kStatusRows.size())) return {};
  const StatusRow& row = kStatusRows[static_cast<size_t>(index)];
  std::string line(statusVariableName(index));
  line.resize(19, ' ');
  std::string description(row.description);
  description.resize(22, ' ');
  line += description;
  line += code == RC_OK ? formatValue(row.unit, value) : failedReadText(code);
  return line;
}

}  // namespace gw

// Event and status record parsing and layout.
#include "client/core/log_records.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "client/core/value_text.h"
#include "common/line_file.h"
#include "common/time_text.h"

namespace gw {
namespace {

constexpr size_t kStampLength = 19;  // "2002/07/15 13:05:09"
constexpr size_t kColumnWidth = 12;

constexpr std::array<std::string_view, 6> kStatusTitles = {"input V", "output V", "capacity %",
                                                           "load %",  "freq Hz",  "temp \u00B0C"};

bool hasStamp(std::string_view record) {
  int64_t ms = 0;
  return record.size() > kStampLength && parseLogTime(record.substr(0, kStampLength), &ms);
}

// Right-aligns by characters, not bytes, so the degree sign does not shift a column.
std::string padLeft(std::string_view text, size_t width) {
  size_t glyphs = 0;
  for (unsigned char c : text) glyphs += (c & 0xC0) != 0x80 ? 1 : 0;
  std::string out;
  if (glyphs < width) out.assign(width - glyphs, ' ');
  out += text;
  return out;
}

}  // namespace

bool eventRecordCode(std::string_view record, int* code) {
  if (record.size() != kStampLength + 4 || !hasStamp(record) || record[kStampLength] != ' ') {
    return false;
  }
  int value = 0;
  for (char c : record.substr(kStampLength + 1)) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *code = value;
  return true;
}

std::string formatEventRecord(std::string_view record, const EventTexts& texts) {
  int code = 0;
  if (!eventRecordCode(record, &code)) return std::string(record);
  return std::string(record.substr(0, kStampLength)) + "  " + texts.text(code);
}

std::string statusRecordHeader() {
  std::string line = "time";
  line.resize(kStampLength, ' ');
  for (std::string_view title : kStatusTitles) line += padLeft(title, kColumnWidth);
  return line;
}

std::string formatStatusRecord(std::string_view record) {
  if (!hasStamp(record)) return std::string(record);
  // Fields are split at blanks rather than cut at their widths, so that a value wider than its
  // field still reads.
  std::string line(record.substr(0, kStampLength));
  std::string_view rest = record.substr(kStampLength);
  for (size_t i = 0; i < kStatusTitles.size(); ++i) {
    long long value = 0;
    if (rest.empty() || rest[0] != ' ') return std::string(record);
    rest.remove_prefix(1);
    size_t end = std::min(rest.find(' '), rest.size());
    if (!parseWholeInt(rest.substr(0, end), &value)) return std::string(record);
    line += padLeft(formatHundredths(value), kColumnWidth);
    rest.remove_prefix(end);
  }
  if (!rest.empty()) return std::string(record);
  return line;
}

}  // namespace gw

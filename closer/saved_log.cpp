// Appending "saved" records, one line each.
#include "closer/saved_log.h"

#include <cstdio>

namespace gw {
namespace {

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// Cuts UTF-8 text to at most `max` bytes without splitting a character.
std::string cutText(const std::string& text, size_t max) {
  if (text.size() <= max) return text;
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

SavedLog::SavedLog(std::string path) : path_(std::move(path)) {}

std::string SavedLog::recordText(const std::string& title, const std::string& file_name) {
  return oneLine(cutText(title, kMaxTitleBytes)) + "\t" + oneLine(file_name) + "\n";
}

ResultCode SavedLog::append(const std::string& title, const std::string& file_name) {
  const std::string record = recordText(title, file_name);
  std::lock_guard<std::mutex> lock(mutex_);
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) return RC_NOT_AVAILABLE;
  const bool written = std::fwrite(record.data(), 1, record.size(), f) == record.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed ? RC_OK : RC_NOT_AVAILABLE;
}

}  // namespace gw

// Escaping, in-memory ring and the append-only log file of received commands.
#include "sim/command_log.h"

#include "common/time_text.h"
#include "driver/media/media.h"

namespace gw {

CommandLog::~CommandLog() {
  if (file_) std::fclose(file_);
}

ResultCode CommandLog::openFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "a");
  if (!f) return RC_NOT_AVAILABLE;
  if (file_) std::fclose(file_);
  file_ = f;
  return RC_OK;
}

std::string CommandLog::escapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    auto u = static_cast<unsigned char>(c);
    if (u > 0x20 && u < 0x7F && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    }
  }
  return out;
}

std::string CommandLog::linesText(uint32_t lines) {
  std::string out = "lines:";
  bool any = false;
  auto add_name = [&](uint32_t bit, const char* name) {
    if ((lines & bit) == 0) return;
    if (any) out += '+';
    out += name;
    any = true;
  };
  add_name(LC_DTR, "DTR");
  add_name(LC_RTS, "RTS");
  add_name(LC_BREAK, "BREAK");
  if (!any) out += '-';
  return out;
}

void CommandLog::recordBytes(std::string_view bytes) { add(escapeBytes(bytes)); }

void CommandLog::recordLines(uint32_t lines) { add(linesText(lines)); }

void CommandLog::add(std::string entry) {
  if (file_) {
    int64_t now = clock_.nowMs();
    std::string stamp = formatLogTime(now);
    std::fprintf(file_, "%s.%03d %s\n", stamp.c_str(), static_cast<int>(now % 1000),
                 entry.c_str());
    std::fflush(file_);
  }
  entries_.push_back(std::move(entry));
  while (entries_.size() > kMaxEntries) entries_.pop_front();
}

}  // namespace gw

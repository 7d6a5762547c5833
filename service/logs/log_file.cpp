// Fixed-length record files: every position is computed, nothing is scanned.
#include "service/logs/log_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace gw {
namespace {

// Size of the file behind an open stream; -1 when it cannot be told.
int64_t streamSize(std::ifstream& in) {
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return -1;
  return static_cast<int64_t>(size);
}

// Reads n whole records starting at `first` and appends each record's text and '\n' to *out.
// A record whose bytes could not all be read ends the page early. Returns the records read.
int64_t readRecordsInto(std::ifstream& in, int64_t first, int64_t n, size_t record_bytes,
                        size_t text_length, std::string* out) {
  if (n <= 0) return 0;
  std::string buffer(static_cast<size_t>(n) * record_bytes, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(first) * static_cast<std::streamoff>(record_bytes));
  in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  int64_t whole = static_cast<int64_t>(in.gcount()) / static_cast<int64_t>(record_bytes);
  out->reserve(out->size() + static_cast<size_t>(whole) * (text_length + 1));
  for (int64_t i = 0; i < whole; ++i) {
    out->append(buffer, static_cast<size_t>(i) * record_bytes, text_length);
    out->push_back('\n');
  }
  return whole;
}

}  // namespace

LogFile::LogFile(std::string path, size_t record_text_length, bool guarded)
    : path_(std::move(path)),
      text_length_(record_text_length),
      mutex_(guarded ? std::make_unique<std::mutex>() : nullptr) {}

std::unique_lock<std::mutex> LogFile::lock() const {
  return mutex_ ? std::unique_lock<std::mutex>(*mutex_) : std::unique_lock<std::mutex>();
}

ResultCode LogFile::append(std::string_view text) {
  if (text.size() != text_length_ || text.find_first_of("\r\n") != std::string_view::npos) {
    return RC_BAD_VALUE;
  }
  auto held = lock();
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path_, ec);
  uintmax_t whole = ec ? 0 : size - size % recordBytes();
  if (!ec && whole != size) {
    // A record torn by a crash would shift every later record off its boundary.
    std::filesystem::resize_file(path_, whole, ec);
    if (ec) return RC_NOT_AVAILABLE;
  }
  // Binary mode: the line end is written as "\r\n" on every platform.
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) return RC_NOT_AVAILABLE;
  std::string record(text);
  record += "\r\n";
  size_t written = std::fwrite(record.data(), 1, record.size(), f);
  bool closed = std::fclose(f) == 0;
  if (written == record.size() && closed) return RC_OK;
  // A full disk may have taken part of the record: cut it off again, so that no reader and no
  // later append meets it.
  std::error_code cut;
  if (std::filesystem::is_regular_file(path_, cut)) std::filesystem::resize_file(path_, whole, cut);
  return RC_NOT_AVAILABLE;
}

int64_t LogFile::count() const {
  auto held = lock();
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path_, ec);
  if (ec) return 0;
  return static_cast<int64_t>(size / recordBytes());
}

ResultCode LogFile::clear() {
  auto held = lock();
  std::error_code ec;
  std::filesystem::remove(path_, ec);
  return ec ? RC_NOT_AVAILABLE : RC_OK;
}

std::string LogFile::nextPage(int64_t from) const {
  if (from < 0) from = 0;
  auto held = lock();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::to_string(from);
  int64_t size = streamSize(in);
  int64_t records = size < 0 ? 0 : size / static_cast<int64_t>(recordBytes());
  if (records < from) return std::to_string(records);
  int64_t n = std::min(records - from, kPageSize);
  std::string body;
  n = readRecordsInto(in, from, n, recordBytes(), text_length_, &body);
  std::string out = std::to_string(from + n);
  if (n > 0) {
    out.push_back(' ');
    out += body;
  }
  return out;
}

std::string LogFile::previousPage(int64_t before) const {
  if (before <= 0) return "0";
  auto held = lock();
  std::ifstream in(path_, std::ios::binary);
  // A log without a file (never written, or cleared) is an empty log: handing the caller's
  // cursor back would tell it of records that are not there.
  if (!in) return "0";
  int64_t size = streamSize(in);
  int64_t records = size < 0 ? 0 : size / static_cast<int64_t>(recordBytes());
  // A cursor past the end (the log was cleared or cut meanwhile) would read nothing but
  // still report records that are not there.
  if (before > records) before = records;
  int64_t n = std::min(before, kPageSize);
  int64_t first = before - n;
  std::string body;
  int64_t got = readRecordsInto(in, first, n, recordBytes(), text_length_, &body);
  std::string out = std::to_string(first);
  if (got > 0) {
    out.push_back(' ');
    out += body;
  }
  return out;
}

ResultCode LogFile::readWhole(std::string* text) const {
  auto held = lock();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return RC_NOT_AVAILABLE;
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return RC_NOT_AVAILABLE;
  std::string cooked;
  cooked.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    cooked.push_back(raw[i]);
  }
  *text = std::move(cooked);
  return RC_OK;
}

}  // namespace gw

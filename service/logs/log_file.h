// One fixed-length record log on disk: appends, counts and page reads that seek straight to a
// record, so that a page costs the same at the start of a long log as at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

// Every record is its text followed by "\r\n" (the on-disk form is the one the Windows build
// writes in text mode), so record n starts at byte n * recordBytes(). Record numbers start at 0
// and start again at 0 after clear().
//
// A guarded log takes its own mutex around every append, count, page read and clear, so worker
// threads may append while the main thread reads. An unguarded log must be used from one thread.
class LogFile {
 public:
  static constexpr int64_t kPageSize = 50;

  // `record_text_length` is the record without its line end (23 for events, 54 for status, 0
  // for "saved"). Opens nothing: the file is opened per operation and may come and go.
  LogFile(std::string path, size_t record_text_length, bool guarded);
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  const std::string& path() const { return path_; }
  size_t recordTextLength() const { return text_length_; }
  size_t recordBytes() const { return text_length_ + 2; }

  // Appends `text` and "\r\n". RC_BAD_VALUE (nothing written) when the text is not exactly
  // recordTextLength() characters or holds a line end; RC_NOT_AVAILABLE when the file cannot be
  // opened or written (the record is lost; whatever part of it reached the file is cut off
  // again). A torn last record left by a crash is cut off first so that every later record
  // stays on its boundary. Readers never see a torn record: they take whole records only.
  [[nodiscard]] ResultCode append(std::string_view text);

  // File size divided by recordBytes(); 0 when the file is missing.
  int64_t count() const;

  // Deletes the file. RC_OK also when it was missing.
  [[nodiscard]] ResultCode clear();

  // The page after a cursor: from = max(from, 0). File cannot be opened: "<from>". Fewer than
  // `from` records: "<count>". Otherwise n = min(count - from, 50) records:
  // "<from + n>" and, when n > 0, " " and each record's text followed by "\n".
  std::string nextPage(int64_t from) const;

  // The page before a cursor: before <= 0 gives "0". A file that cannot be opened is an empty
  // log: "0". A cursor past the end is taken as the record count. Otherwise n = min(before, 50), first =
  // before - n: "<first>" and, when n > 0, " " and records first .. before - 1, each followed
  // by "\n".
  std::string previousPage(int64_t before) const;

  // The whole file as read in text mode ("\r\n" becomes "\n"). RC_NOT_AVAILABLE when it cannot
  // be opened; *text is written only on RC_OK.
  [[nodiscard]] ResultCode readWhole(std::string* text) const;

 private:
  std::unique_lock<std::mutex> lock() const;

  std::string path_;
  size_t text_length_;
  std::unique_ptr<std::mutex> mutex_;  // null for an unguarded log
};

}  // namespace gw

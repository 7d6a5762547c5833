// The "saved" log: one record per file name handed to a program, so that the user can find the
// work that was saved for them during an unattended shutdown.
#pragma once

#include <mutex>
#include <string>

#include "common/result_code.h"

namespace gw {

// Shared by every window thread of one run; appends are serialised by the log's own mutex.
class SavedLog {
 public:
  // A title longer than this is cut (at a character boundary).
  static constexpr size_t kMaxTitleBytes = 255;

  explicit SavedLog(std::string path);
  SavedLog(const SavedLog&) = delete;
  SavedLog& operator=(const SavedLog&) = delete;

  // Appends recordText(title, file_name), opening and closing the file for it. RC_NOT_AVAILABLE
  // when the file cannot be opened or written: the record is lost and the closing goes on.
  [[nodiscard]] ResultCode append(const std::string& title, const std::string& file_name);

  // "<title>\t<file name>\n". A carriage return or line feed in either part becomes a blank, so
  // that one record is always one line for the service that serves the log.
  static std::string recordText(const std::string& title, const std::string& file_name);

  const std::string& path() const { return path_; }

 private:
  const std::string path_;
  std::mutex mutex_;
};

}  // namespace gw

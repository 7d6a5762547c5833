// The cache directory of log pages: "127.0.0.1" beside the program, holding per log a file of
// newer records and a file of older ones, one record per line. The log window reads them; the
// session's worker appends to them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/result_code.h"

namespace gw {

class PageFiles {
 public:
  static constexpr const char* kDirectoryName = "127.0.0.1";

  // Creates the directory in `parent`; when it exists, its six page files are deleted first.
  // RC_NOT_AVAILABLE when it cannot be made. *files is written only on RC_OK.
  [[nodiscard]] static ResultCode create(const std::string& parent,
                                         std::unique_ptr<PageFiles>* files);
  PageFiles(const PageFiles&) = delete;
  PageFiles& operator=(const PageFiles&) = delete;
  // Deletes the six files and removes the directory (left alone when something else is in it).
  ~PageFiles();

  const std::string& directory() const { return directory_; }
  // "eventnext", "eventprev", "savednext", ... for logs 0, 1, 2.
  std::string path(int log, bool newer) const;

  // Appends the lines, each with a line feed, in order or reversed. False when the file could
  // not be written.
  bool append(int log, bool newer, const std::vector<std::string>& lines, bool reversed);
  // Deletes both files of the log.
  void remove(int log);

 private:
  explicit PageFiles(std::string directory) : directory_(std::move(directory)) {}
  void removeAll();

  std::string directory_;
};

}  // namespace gw

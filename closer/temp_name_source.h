// The temporary file names the closer types into save dialogs: "temp" and a number of at least
// four digits in the save folder, counting on from the highest such name already there.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace gw {

// Shared by every window thread of one run.
class TempNameSource {
 public:
  explicit TempNameSource(std::string save_folder);
  TempNameSource(const TempNameSource&) = delete;
  TempNameSource& operator=(const TempNameSource&) = delete;

  // The next full path, "<folder>/temp0000" on the first call when the folder holds no
  // "temp<number>" file. The folder is looked at only on the first call; the numbers handed out
  // by this run follow on from there. Thread-safe.
  std::string next();

  // The largest number n of a name in `folder` that starts with "temp" and n's decimal digits
  // (anything may follow: "temp0007.doc" is 7); -1 when there is none or the folder cannot be
  // read. Numbers too large to be followed by another are passed over.
  static int32_t highestNumber(const std::string& folder);

  // "<folder>/temp" and the number with at least four digits.
  static std::string nameFor(const std::string& folder, int32_t number);

 private:
  const std::string folder_;
  std::mutex mutex_;
  int32_t number_ = -1;  // the last number handed out; -1 before the folder was looked at
  bool scanned_ = false;
};

}  // namespace gw

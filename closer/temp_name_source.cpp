// Finding the highest temporary number in the save folder and counting on from it.
#include "closer/temp_name_source.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/file_system.h"

namespace gw {
namespace {

constexpr int32_t kNone = -1;

// The number after "temp" in a file name, or kNone. Only digits count: a sign or a blank after
// "temp" makes no number.
int32_t numberIn(const std::string& name) {
  if (name.rfind("temp", 0) != 0) return kNone;
  int64_t n = 0;
  size_t i = 4;
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    n = n * 10 + (name[i] - '0');
    if (n >= std::numeric_limits<int32_t>::max()) return kNone;  // no number could follow it
  }
  return i == 4 ? kNone : static_cast<int32_t>(n);
}

}  // namespace

TempNameSource::TempNameSource(std::string save_folder) : folder_(std::move(save_folder)) {}

std::string TempNameSource::next() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!scanned_) {
    number_ = highestNumber(folder_);
    scanned_ = true;
  }
  // The counter only grows; a run would need two thousand million dialogs to reach the top.
  if (number_ < std::numeric_limits<int32_t>::max()) ++number_;
  return nameFor(folder_, number_);
}

int32_t TempNameSource::highestNumber(const std::string& folder) {
  int32_t best = kNone;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const int32_t n = numberIn(it->path().filename().string());
    if (n > best) best = n;
  }
  return best;
}

std::string TempNameSource::nameFor(const std::string& folder, int32_t number) {
  char name[24];
  std::snprintf(name, sizeof name, "temp%.4d", number);
  return joinPath(folder, name);
}

}  // namespace gw

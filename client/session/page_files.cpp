// Page files in the cache directory.
#include "client/session/page_files.h"

#include <filesystem>
#include <fstream>

namespace gw {
namespace {

constexpr const char* kLogStems[3] = {"event", "saved", "status"};

}  // namespace

ResultCode PageFiles::create(const std::string& parent, std::unique_ptr<PageFiles>* files) {
  std::filesystem::path dir = std::filesystem::path(parent) / kDirectoryName;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir, ec)) return RC_NOT_AVAILABLE;
  std::unique_ptr<PageFiles> made(new PageFiles(dir.string()));
  made->removeAll();
  *files = std::move(made);
  return RC_OK;
}

PageFiles::~PageFiles() {
  removeAll();
  std::error_code ec;
  std::filesystem::remove(directory_, ec);  // only when empty
}

std::string PageFiles::path(int log, bool newer) const {
  if (log < 0 || log > 2) return {};
  return (std::filesystem::path(directory_) / (std::string(kLogStems[log]) + (newer ? "next" : "prev")))
      .string();
}

bool PageFiles::append(int log, bool newer, const std::vector<std::string>& lines, bool reversed) {
  std::string file = path(log, newer);
  if (file.empty()) return false;
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (!out) return false;
  for (size_t i = 0; i < lines.size(); ++i) {
    out << lines[reversed ? lines.size() - 1 - i : i] << '\n';
  }
  out.flush();  // the log window reads up to what was flushed
  return static_cast<bool>(out);
}

void PageFiles::remove(int log) {
  std::error_code ec;
  std::filesystem::remove(path(log, true), ec);
  std::filesystem::remove(path(log, false), ec);
}

void PageFiles::removeAll() {
  for (int log = 0; log < 3; ++log) remove(log);
}

}  // namespace gw

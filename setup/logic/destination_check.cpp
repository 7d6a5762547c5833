// The trial creation tells a folder that can be made from one that cannot, without leaving one
// behind when the user then says No.
#include "setup/logic/destination_check.h"

#include <filesystem>
#include <system_error>

namespace gw::setup {
namespace {

bool canEnter(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) return false;
  std::filesystem::directory_iterator it(path, ec);
  return !ec;
}

}  // namespace

bool DestinationCheck::accept(const std::string& folder) {
  std::string path = root_.place(folder);
  if (isAbsolutePath(folder) && canEnter(path)) return true;
  std::string first_created;
  if (!isAbsolutePath(folder) || !create(path, &first_created)) {
    prompts_.tell("Setup",
                  "The specified directory:\n\n'" + folder +
                      "'\n\nis invalid, incomplete or write protected. Please type a full path; "
                      "for example '/opt/APPS'.",
                  MessageKind::kWarning);
    return false;
  }
  std::error_code ec;
  if (!first_created.empty()) std::filesystem::remove_all(first_created, ec);  // the trial only
  if (!prompts_.askYesNo("Setup", "The directory:\n\n'" + folder +
                                      "'\n\ndoes not exist. Do you want the directory to be "
                                      "created?")) {
    return false;
  }
  return create(path, &first_created);
}

bool DestinationCheck::create(const std::string& path, std::string* first_created) {
  std::filesystem::path target(path);
  std::filesystem::path top;
  std::error_code ec;
  for (std::filesystem::path p = target; !p.empty() && p != p.parent_path(); p = p.parent_path()) {
    if (std::filesystem::exists(p, ec)) break;
    top = p;
  }
  if (!std::filesystem::create_directories(target, ec) && ec) return false;
  if (!canEnter(path)) return false;
  *first_created = top.string();
  return true;
}

}  // namespace gw::setup

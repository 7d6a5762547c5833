// The removal order: programs closed, files deleted, system entries removed.
#include "setup/logic/uninstaller.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "setup/logic/setup_tables.h"

namespace gw::setup {
namespace {

constexpr const char* kCaption = "Uninstall";
// The service writes its settings files back when it stops, which can take up to one polling
// interval; deleting them before it has ended would let them reappear. So the wait lasts until
// both programs have gone, within this bound.
constexpr int64_t kCloseWaitLimitMs = 15000;
constexpr int64_t kCloseCheckMs = 100;

}  // namespace

bool Uninstaller::run(const std::string& folder, RemovalObserver& observer) {
  if (!prompts_.askYesNo(kCaption, std::string("Do you want to remove the ") + kProductName + ".")) {
    return false;
  }
  if (!closeRunningPrograms()) return false;
  observer.begin();
  removeFiles(folder, observer);
  steps_.remove();
  observer.end();
  prompts_.tell(kCaption, "Uninstall completed.", MessageKind::kInformation);
  return true;
}

bool Uninstaller::closeRunningPrograms() {
  bool client = client_.held();
  bool service = service_.held();
  if (!client && !service) return true;
  std::string who = client && service ? std::string("The ") + kProductName + " and Service are"
                    : client          ? std::string("The ") + kProductName + " is"
                                      : std::string("The UPS Service is");
  if (!prompts_.askYesNo(kCaption, who + " runing.\nDo you want to continune the uninstall ?")) {
    return false;
  }
  if (client) client_.requestClose();
  if (service) service_.requestClose();
  for (int64_t waited = 0; waited < kCloseWaitLimitMs; waited += kCloseCheckMs) {
    if (!client_.held() && !service_.held()) break;
    clock_.sleepMs(kCloseCheckMs);
  }
  return true;
}

void Uninstaller::removeFiles(const std::string& folder, RemovalObserver& observer) {
  std::vector<std::string> names;
  for (const ProgramFile& row : kProgramFiles) names.emplace_back(row.installed);
  for (const std::string& name : removalOnlyFiles()) names.push_back(name);
  std::string path = root_.place(folder);
  std::error_code ec;
  for (size_t i = 0; i < names.size(); ++i) {
    std::filesystem::remove(path + "/" + names[i], ec);  // a missing file is removed already
    observer.progress(static_cast<int>((i + 1) * 100 / names.size()));
  }
  // Only an empty folder goes: anything the user put there keeps it.
  std::filesystem::remove(path, ec);
}

}  // namespace gw::setup

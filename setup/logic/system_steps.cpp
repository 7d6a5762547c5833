// Each system step reads what it needs, changes it and writes it back at once, so that a step
// cut short leaves the earlier ones in place.
#include "setup/logic/system_steps.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/file_system.h"
#include "setup/logic/registry_store.h"
#include "setup/logic/setup_tables.h"
#include "setup/logic/system_files.h"

namespace gw::setup {
namespace {

std::string entryPath(const char* folder, const char* id, const char* extension) {
  return std::string(folder) + "/" + id + extension;
}

}  // namespace

void SystemSteps::prepareInstall() {
  std::unique_ptr<RegistryStore> registry;
  if (RegistryStore::open(root_.place(kRegistryFile), &registry) != RC_OK) return;
  if (!registry->hasKey(kRunKey)) return;  // nothing to drop: leave no file behind
  registry->deleteValue(kRunKey, kSetupRunValue);
  (void)registry->save();  // a failed registry step is not reported
}

void SystemSteps::install(const std::string& folder) {
  std::unique_ptr<RegistryStore> registry;
  if (RegistryStore::open(root_.place(kRegistryFile), &registry) == RC_OK) {
    registry->deleteValue(kRunOnceKey, kInstallRunOnceValue);
    for (const RegistryRow& row : kRegistryRows) {
      if (!(row.flags & kWriteAtInstall)) continue;
      (void)registry->setValue(row.key, row.value, expandFolder(row.data, folder));  // fixed rows
    }
    (void)registry->save();  // not reported
  }
  (void)registrar_.registerService(kServiceName, serviceUnitText(folder));  // not reported
  (void)placeMenuGroup(folder, true);    // not reported
  (void)placeAutostartEntry(folder);     // not reported
  (void)placeUsbRule();                  // not reported
}

void SystemSteps::remove() {
  std::unique_ptr<RegistryStore> registry;
  if (RegistryStore::open(root_.place(kRegistryFile), &registry) == RC_OK) {
    for (const RegistryRow& row : kRegistryRows) {
      if (!(row.flags & kRemoveAtUninstall)) continue;
      if (row.flags & kRemoveValueOnly) {
        registry->deleteValue(row.key, row.value);
      } else {
        registry->deleteKey(row.key);
      }
    }
    (void)registry->save();  // not reported
  }
  for (const MenuItem& item : kMenuItems) {
    removeFile(entryPath(kApplicationsFolder, item.file_id, ".desktop"));
  }
  removeFile(entryPath(kDirectoriesFolder, kMenuFileId, ".directory"));
  removeFile(entryPath(kMenusFolder, kMenuFileId, ".menu"));
  removeFile(entryPath(kAutostartFolder, kAutostartItem.file_id, ".desktop"));
  for (int slot = 0; slot < kRuleSlots; ++slot) {
    std::string path = std::string(kRulesFolder) + "/" + ruleFileName(slot);
    std::string text;
    if (readWholeFile(root_.place(path), &text) == RC_OK && isOwnRuleFile(text)) removeFile(path);
  }
  registrar_.deleteService(kServiceName);
}

bool SystemSteps::placeMenuGroup(const std::string& folder, bool with_remove_item) const {
  if (!writeFile(entryPath(kDirectoriesFolder, kMenuFileId, ".directory"), menuDirectoryText()) ||
      !writeFile(entryPath(kMenusFolder, kMenuFileId, ".menu"), menuFileText())) {
    return false;
  }
  for (const MenuItem& item : kMenuItems) {
    if (!with_remove_item && std::string(item.command).rfind(kUninstallerName, 0) == 0) continue;
    if (!writeFile(entryPath(kApplicationsFolder, item.file_id, ".desktop"),
                   desktopEntryText(item, folder, true))) {
      return false;
    }
  }
  return true;
}

bool SystemSteps::placeAutostartEntry(const std::string& folder) const {
  return writeFile(entryPath(kAutostartFolder, kAutostartItem.file_id, ".desktop"),
                   desktopEntryText(kAutostartItem, folder, false));
}

bool SystemSteps::placeUsbRule() const {
  int free_slot = -1;
  for (int slot = 0; slot < kRuleSlots; ++slot) {
    std::string path = root_.place(std::string(kRulesFolder) + "/" + ruleFileName(slot));
    std::string text;
    if (readWholeFile(path, &text) == RC_OK) {
      if (!isOwnRuleFile(text)) continue;
      free_slot = slot;  // ours already: replace it rather than add a second
      break;
    }
    if (free_slot < 0 && !fileExists(path)) free_slot = slot;
  }
  if (free_slot < 0) return false;
  return writeFile(std::string(kRulesFolder) + "/" + ruleFileName(free_slot), udevRuleText(ids_));
}

bool SystemSteps::writeFile(const std::string& system_path, const std::string& text) const {
  std::string path = root_.place(system_path);
  std::error_code ec;
  std::filesystem::create_directories(parentFolder(path), ec);
  return writeFileAtomically(path, text) == RC_OK;
}

void SystemSteps::removeFile(const std::string& system_path) const {
  std::error_code ec;
  std::filesystem::remove(root_.place(system_path), ec);  // absent is as good as removed
}

}  // namespace gw::setup

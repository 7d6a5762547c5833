// The scripts are plain POSIX sh. Every path they touch is prefixed with $DPKG_ROOT, so that a
// package handled for another root never reaches into the running system.
#include "setup/logic/package_files.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"
#include "platform/service_registrar.h"
#include "setup/logic/setup_tables.h"
#include "setup/logic/system_files.h"
#include "setup/logic/system_steps.h"

namespace gw::setup {
namespace {

// Registration is the package manager's here; a registrar that refuses keeps SystemSteps from
// touching any service manager.
class NoRegistrar final : public ServiceRegistrar {
 public:
  bool registerService(const std::string&, const std::string&) override { return false; }
  void deleteService(const std::string&) override {}
  std::string definitionPath(const std::string&) const override { return {}; }
};

bool place(const InstallRoot& stage, const std::string& system_path, const std::string& text,
           unsigned mode = 0644) {
  std::string path = stage.place(system_path);
  std::error_code ec;
  std::filesystem::create_directories(parentFolder(path), ec);
  return writeFileAtomically(path, text, mode) == RC_OK;
}

std::string unitName() { return std::string(kServiceName) + ".service"; }

// Single-quoted for sh: a quote inside becomes '\''.
std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

constexpr const char* kLiveSystemTest =
    "# Only the running system's manager is asked, never one of an image or another root.\n"
    "live() { [ -z \"$DPKG_ROOT\" ] && [ -d /run/systemd/system ]; }\n";

}  // namespace

bool stagePackageFiles(const InstallRoot& stage, const std::string& folder, UsbIds ids) {
  NoRegistrar none;
  SystemSteps steps(stage, none, ids);
  return steps.placeMenuGroup(folder, false) && steps.placeAutostartEntry(folder) &&
         place(stage, std::string(kPackageUnitFolder) + "/" + unitName(), serviceUnitText(folder)) &&
         place(stage, kPackageRuleFile, udevRuleText(ids));
}

std::string postinstScript() {
  return std::string("#!/bin/sh\n# Enables and starts the UPS service; lets udev apply the UPS rule.\nset -e\n") +
         kLiveSystemTest + "if [ \"$1\" = configure ]; then\n  if live; then\n" +
         "    systemctl daemon-reload || true\n    systemctl enable " + unitName() +
         " || true\n    systemctl start " + unitName() + " || true\n" +
         "    udevadm control --reload-rules || true\n" +
         "    udevadm trigger --subsystem-match=hidraw || true\n" +
         "  elif command -v systemctl >/dev/null 2>&1; then\n" +
         "    # Another root: the links only, so the service starts when that system boots.\n" +
         "    systemctl --root=\"${DPKG_ROOT:-/}\" enable " + unitName() + " || true\n" +
         "  fi\nfi\nexit 0\n";
}

std::string prermScript() {
  return std::string("#!/bin/sh\n# Stops and disables the UPS service before its files go.\nset -e\n") +
         kLiveSystemTest + "if [ \"$1\" = remove ] || [ \"$1\" = deconfigure ]; then\n" +
         "  if live; then\n    systemctl stop " + unitName() + " || true\n    systemctl disable " +
         unitName() + " || true\n" + "  elif command -v systemctl >/dev/null 2>&1; then\n" +
         "    systemctl --root=\"${DPKG_ROOT:-/}\" disable " + unitName() + " || true\n" +
         "  fi\nfi\nexit 0\n";
}

std::string postrmScript(const std::string& folder) {
  std::string text =
      std::string("#!/bin/sh\n# After removal: the manager forgets the unit; a purge deletes the "
                  "service's data files.\nset -e\n") +
      kLiveSystemTest + "if live; then systemctl daemon-reload || true; fi\n" +
      "if [ \"$1\" = purge ]; then\n  dir=\"$DPKG_ROOT\"" + shellQuoted(folder) + "\n";
  for (const std::string& name : removalOnlyFiles()) {
    text += "  rm -f \"$dir\"/" + shellQuoted(name) + "\n";
  }
  text += "  rmdir \"$dir\" 2>/dev/null || true\nfi\nexit 0\n";
  return text;
}

std::string conffilesList() {
  return std::string(kMenusFolder) + "/" + kMenuFileId + ".menu\n" + kAutostartFolder + "/" +
         kAutostartItem.file_id + ".desktop\n";
}

}  // namespace gw::setup

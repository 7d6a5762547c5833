// The steps around the copy that change the system: the registry rows, the service, the menu
// with its entries and the autostart entry, and the USB rule file. None of their failures is
// reported; a step that fails leaves the others to run.
#pragma once

#include <string>

#include "platform/service_registrar.h"
#include "setup/logic/install_root.h"
#include "setup/logic/udev_rule.h"

namespace gw::setup {

// Where the registry file lives, as a system path.
inline constexpr const char* kRegistryFile = "/etc/gridwatch/registry";

class SystemSteps {
 public:
  SystemSteps(InstallRoot root, ServiceRegistrar& registrar, UsbIds ids)
      : root_(std::move(root)), registrar_(registrar), ids_(ids) {}

  // Before the wizard: drops the request to run setup at the next login.
  void prepareInstall();
  // After the copy into `folder`: the registry rows marked for installation, the service, the
  // menu, the autostart entry and the USB rule.
  void install(const std::string& folder);
  // The uninstall counterpart: the registry rows marked for removal, the menu and autostart
  // entries, our USB rule files (and no one else's), and the service. Needs nothing from the
  // installation folder, which may be gone.
  void remove();

  // The menu folder with its entries; the removal item only when `with_remove_item`. Stops at
  // the first entry that cannot be written and returns false then.
  bool placeMenuGroup(const std::string& folder, bool with_remove_item) const;
  bool placeAutostartEntry(const std::string& folder) const;
  // Our rule file, in the slot one of ours already holds or in the first free one. False when
  // every slot is taken by someone else or the file cannot be written.
  bool placeUsbRule() const;

 private:
  bool writeFile(const std::string& system_path, const std::string& text) const;
  void removeFile(const std::string& system_path) const;

  InstallRoot root_;
  ServiceRegistrar& registrar_;
  UsbIds ids_;
};

}  // namespace gw::setup

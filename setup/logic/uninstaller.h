// Removal of the suite from an installation folder: the question, the running client and
// service closed first, the files, then the system steps, which run even when the folder has
// gone already.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/instance_marker.h"
#include "setup/logic/install_root.h"
#include "setup/logic/setup_prompts.h"
#include "setup/logic/system_steps.h"

namespace gw::setup {

// What the Uninstall page sees of the removal.
class RemovalObserver {
 public:
  RemovalObserver() = default;
  RemovalObserver(const RemovalObserver&) = delete;
  RemovalObserver& operator=(const RemovalObserver&) = delete;
  virtual ~RemovalObserver() = default;

  virtual void begin() = 0;
  // The percentage of files done, after each file.
  virtual void progress(int percent) = 0;
  virtual void end() = 0;
};

class Uninstaller {
 public:
  // `client` and `service` are the markers of the client and of the service installed in the
  // folder to be removed.
  Uninstaller(const InstallRoot& root, SetupPrompts& prompts, InstanceMarker& client,
              InstanceMarker& service, SystemSteps& steps, Clock& clock)
      : root_(root), prompts_(prompts), client_(client), service_(service), steps_(steps),
        clock_(clock) {}

  // Removes the suite from `folder` (a system path). False when the user declined one of the
  // questions, and nothing was removed then.
  bool run(const std::string& folder, RemovalObserver& observer);

 private:
  // Asks about the running programs and closes them. False when the user declined.
  bool closeRunningPrograms();
  void removeFiles(const std::string& folder, RemovalObserver& observer);

  const InstallRoot& root_;
  SetupPrompts& prompts_;
  InstanceMarker& client_;
  InstanceMarker& service_;
  SystemSteps& steps_;
  Clock& clock_;
};

}  // namespace gw::setup

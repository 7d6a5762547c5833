// Starting another program without waiting for it: the installer after the launcher, the
// service's "-start" and the client after setup, the temporary uninstaller.
#pragma once

#include <string>
#include <vector>

namespace gw::setup {

class ProgramStarter {
 public:
  ProgramStarter() = default;
  ProgramStarter(const ProgramStarter&) = delete;
  ProgramStarter& operator=(const ProgramStarter&) = delete;
  virtual ~ProgramStarter() = default;

  // Starts `program` with `args` and returns at once; the program outlives the caller. False
  // when it could not be started.
  [[nodiscard]] virtual bool start(const std::string& program,
                                   const std::vector<std::string>& args) = 0;
};

// Through the platform's process facility.
class SpawnProgramStarter final : public ProgramStarter {
 public:
  bool start(const std::string& program, const std::vector<std::string>& args) override;
};

}  // namespace gw::setup

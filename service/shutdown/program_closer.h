// The application closer as a program beside the service: "sweeper" in the service's directory,
// run in the user's graphical session as that user, its records added to the "saved" log.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/graphical_session.h"
#include "platform/process.h"
#include "platform/system_log.h"
#include "service/shutdown/application_closer.h"

namespace gw {

class ProgramCloser final : public ApplicationCloser {
 public:
  static constexpr const char* kCloserName = "sweeper";
  // Where the closer writes its records while it runs, in the service's directory; the service
  // makes it for the session's user, so that the closer never needs to write the log itself.
  static constexpr const char* kRecordsName = "saved.closer";
  // How often the closer is checked while it runs.
  static constexpr int64_t kPollMs = 100;
  // How long the login manager is given to name the session.
  static constexpr int kSessionLookupMs = 5000;
  // More than this of the closer's records is not taken into the log.
  static constexpr size_t kMaxRecordBytes = 1 << 20;

  // Starts a program; spawnProcess in the service, a fake in tests.
  using Launcher =
      std::function<ResultCode(const SpawnOptions& options, std::unique_ptr<ChildProcess>* child)>;
  // Names the graphical session whose applications are closed; RC_NOT_AVAILABLE when none.
  using SessionFinder = std::function<ResultCode(GraphicalSession* session)>;

  // The login manager's active graphical session, or, with `own_display` set, this process's
  // own account on that display (for a run started from a desktop).
  static SessionFinder sessionFinder(const std::string& own_display);

  // `service_dir` is where the closer lives; `saved_path` is the log that LOG 1 serves. `clock`
  // and `log` must outlive the closer; the launcher's children are used only during
  // closeApplications().
  ProgramCloser(std::string service_dir, std::string saved_path, Clock& clock,
                SessionFinder find_session, SystemLog& log, Launcher launcher = spawnProcess);

  // Finds the session (without one: a line in the system log and RC_NOT_AVAILABLE at once),
  // starts "<service_dir>/sweeper /L <records>" in it and waits, in slices of kPollMs on the
  // clock, until it ends or kWaitLimitMs have passed. Then adds the records written so far to
  // the saved log, one line ending in CR LF each.
  [[nodiscard]] ResultCode closeApplications() override;

 private:
  ResultCode runIn(const GraphicalSession& session, const std::string& records);
  void takeRecords(const std::string& records);

  std::string service_dir_;
  std::string saved_path_;
  Clock& clock_;
  SessionFinder find_session_;
  SystemLog& log_;
  Launcher launcher_;
};

}  // namespace gw

// The service program's entry logic: the single-instance check, "-start", and the service main
// with its state reports, written against the platform's ServiceHost so that it runs in tests.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/service_host.h"
#include "platform/socket.h"
#include "platform/system_log.h"
#include "service/core/error_reporter.h"

namespace gw {

// The single-instance marker carries the name the tray window had.
inline constexpr const char* kInstanceMarker = "Gridwatch Plus Service";

// The service object as the program sees it.
class ServiceBody {
 public:
  ServiceBody() = default;
  ServiceBody(const ServiceBody&) = delete;
  ServiceBody& operator=(const ServiceBody&) = delete;
  virtual ~ServiceBody() = default;

  // Runs until the stop flag is set or a shutdown ends the run. False when the run could not
  // start (the driver or the client port was not available); the cause went to `errors`.
  [[nodiscard]] virtual bool run(ErrorReporter& errors) = 0;
  // The handle that becomes readable when the stop flag is set (may be null), for the run's
  // wait to watch, so that a stop is seen at once.
  virtual void watchStop(const PollableSocket* wake) { (void)wake; }
  // The orderly stop's save: writes the settings files back, after the run (or in its place
  // when the run was skipped), and reports each file that could not be written.
  virtual void saveSettings(ErrorReporter& errors) = 0;
  virtual std::atomic<bool>& stopFlag() = 0;
};

using ServiceFactory = std::function<std::unique_ptr<ServiceBody>()>;

// The whole program: `args` are the command-line words after the program name. Returns the
// process exit code: 0, 1 when the service could not start (so that a service manager restarts
// it), 2 for a bad command line.
int runServiceProgram(const std::vector<std::string>& args, ServiceHost& host, SystemLog& log,
                      const ServiceFactory& make_service);

}  // namespace gw

// Entry logic of monsvc. There is one platform family here: the separate path the service took
// on systems without a service manager has no counterpart, since systemd (or a terminal) always
// runs the program in the foreground.
#include "service/core/service_program.h"

#include <cstdio>

#include "common/ascii_case.h"

namespace gw {
namespace {

bool reportOrComplain(ServiceHost& host, ErrorReporter& errors, ServiceState state) {
  if (host.reportState(state, 3000)) return true;
  errors.report("SetServiceStatus", 1);
  return false;
}

// Service main and body: START_PENDING three times, RUNNING, the run, STOP_PENDING, the save,
// STOPPED.
int runService(ServiceHost& host, ErrorReporter& errors, const ServiceFactory& make_service) {
  int exit_code = 0;
  if (reportOrComplain(host, errors, ServiceState::kStartPending)) {
    std::unique_ptr<ServiceBody> service = make_service();
    if (service) {
      host.installStopControl(&service->stopFlag());
      service->watchStop(host.stopWake());
      bool ok = reportOrComplain(host, errors, ServiceState::kStartPending) &&
                reportOrComplain(host, errors, ServiceState::kStartPending) &&
                reportOrComplain(host, errors, ServiceState::kRunning);
      // A run that could not start is a failure the service manager must see, so that it
      // restarts the service instead of taking it for stopped on purpose.
      if (ok && !service->run(errors)) exit_code = 1;
      (void)host.reportState(ServiceState::kStopPending, 3000);  // informational only
      service->saveSettings(errors);
      service.reset();
      host.installStopControl(nullptr);
    }
  }
  (void)host.reportState(ServiceState::kStopped, 0);  // nothing is left to tell of a failure
  return exit_code;
}

}  // namespace

int runServiceProgram(const std::vector<std::string>& args, ServiceHost& host, SystemLog& log,
                      const ServiceFactory& make_service) {
  if (!host.acquireSingleInstance(kInstanceMarker)) return 0;
  if (args.size() == 1 && equalsIgnoringAsciiCase(args[0], "-start")) {
    host.startInstalledService(kServiceName);
    return 0;
  }
  if (!args.empty()) {
    std::fprintf(stderr,
                 "usage: monsvc          run the service in the foreground\n"
                 "       monsvc -start   ask the service manager to start %s\n",
                 kServiceName);
    return 2;
  }
  ErrorReporter errors(log);
  return runService(host, errors, make_service);
}

}  // namespace gw

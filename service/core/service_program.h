// The service program's entry logic: the single-instance check, "-start", and the service main
// with its state reports, written against the platform's ServiceHost so that it runs in tests.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/service_host.h"
#include "platform/system_log.h"

namespace gw {

inline constexpr const char* kServiceName = "NorvaneUPS";
// The single-instance marker carries the name the tray window had.
inline constexpr const char* kInstanceMarker = "Gridwatch Plus Service";

// The service object as the program sees it.
class ServiceBody {
 public:
  ServiceBody() = default;
  ServiceBody(const ServiceBody&) = delete;
  ServiceBody& operator=(const ServiceBody&) = delete;
  virtual ~ServiceBody() = default;

  // Runs until the stop flag is set or a shutdown ends the run.
  virtual void run() = 0;
  virtual std::atomic<bool>& stopFlag() = 0;
};

using ServiceFactory = std::function<std::unique_ptr<ServiceBody>()>;

// Reports "<service> error: <code>" with the failing call's name, and keeps the code as the exit
// code to report when the service stops.
class ErrorReporter {
 public:
  explicit ErrorReporter(SystemLog& log) : log_(log) {}
  void report(const std::string& failed_call, int code);
  int savedCode() const { return saved_code_; }

 private:
  SystemLog& log_;
  int saved_code_ = 0;
};

// The whole program: `args` are the command-line words after the program name. Returns the
// process exit code.
int runServiceProgram(const std::vector<std::string>& args, ServiceHost& host, SystemLog& log,
                      const ServiceFactory& make_service);

}  // namespace gw

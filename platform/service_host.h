// The service manager's side of the service: the stop control, state reports and the
// single-instance check. On POSIX the service is a foreground daemon under systemd.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/socket.h"
#include "platform/system_log.h"

namespace gw {

enum class ServiceState { kStartPending, kRunning, kStopPending, kStopped };

class ServiceHost {
 public:
  ServiceHost() = default;
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;
  virtual ~ServiceHost() = default;

  // Routes the stop control (SIGTERM, SIGINT) to `*stop`, which the host sets from its handler.
  // The flag must outlive the host.
  virtual void installStopControl(std::atomic<bool>* stop) = 0;
  // Becomes readable, and stays so, once the stop control has set the flag: a wait that
  // watches it ends at once instead of at its next deadline. Null when the host has none
  // (before installStopControl, or in a host without signals).
  virtual const PollableSocket* stopWake() const { return nullptr; }
  // Reports a state to the service manager. Returns false when the report failed.
  [[nodiscard]] virtual bool reportState(ServiceState state, unsigned wait_hint_ms) = 0;
  // Takes the single-instance marker. False when another copy holds it.
  [[nodiscard]] virtual bool acquireSingleInstance(const std::string& name) = 0;
  // Asks the service manager to start the installed service; silent on every failure.
  virtual void startInstalledService(const std::string& service_name) = 0;
};

// The file name of the marker that acquireSingleInstance(name) takes in its directory.
std::string instanceMarkerFile(const std::string& name);

// The host for this platform. `lock_dir` is where the single-instance marker lives.
std::unique_ptr<ServiceHost> createServiceHost(const std::string& lock_dir);
std::unique_ptr<SystemLog> createSystemLog(const std::string& source);

}  // namespace gw

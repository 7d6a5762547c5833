// Registration of the monitoring service with the system's service manager: the unit file, its
// start at boot, and its removal. Everything lands under an install root, so that an
// installation can be staged in (and tested in) a scratch directory.
#pragma once

#include <memory>
#include <string>

namespace gw {

class ServiceRegistrar {
 public:
  ServiceRegistrar() = default;
  ServiceRegistrar(const ServiceRegistrar&) = delete;
  ServiceRegistrar& operator=(const ServiceRegistrar&) = delete;
  virtual ~ServiceRegistrar() = default;

  // Writes the service's definition `definition` under the name `name` and enables it for
  // start at boot. False only when the definition could not be written; a refusal by the
  // service manager is not reported. Blocks while the manager answers (at most 30 s).
  [[nodiscard]] virtual bool registerService(const std::string& name,
                                             const std::string& definition) = 0;
  // Stops the service, disables it and removes its definition. Silent on every failure, and
  // harmless when the service was never registered.
  virtual void deleteService(const std::string& name) = 0;
  // Where the definition of `name` lives, inside the root.
  virtual std::string definitionPath(const std::string& name) const = 0;
};

// The registrar for this platform under `root` ("/" for the running system). `manager` is the
// service manager's control program, looked up on PATH unless it holds a '/'. Under another
// root only the links are made and removed there; the running manager is not asked to reload.
std::unique_ptr<ServiceRegistrar> createServiceRegistrar(const std::string& root,
                                                         const std::string& manager = "systemctl");

}  // namespace gw

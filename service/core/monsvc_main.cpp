// monsvc: the monitoring service. With no argument it runs in the foreground until SIGTERM or
// SIGINT; "-start" asks the service manager to start the installed service.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/power.h"
#include "platform/service_host.h"
#include "protocol/client_port.h"
#include "service/core/service_program.h"
#include "service/core/tray_service.h"
#include "service/server/client_server.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string dir = gw::executableDirectory();
  std::unique_ptr<gw::ServiceHost> host = gw::createServiceHost(dir);
  std::unique_ptr<gw::SystemLog> log = gw::createSystemLog(gw::kServiceName);
  return gw::runServiceProgram(args, *host, *log, [&]() -> std::unique_ptr<gw::ServiceBody> {
    gw::ServiceEnvironment env;
    env.clock = &gw::systemClock();
    env.data_dir = dir;
    env.client_port = gw::clientPortFromText(std::getenv("GRIDWATCH_PORT"));
    auto power = gw::createSystemPower(gw::shutdownCommandFromEnvironment(), log.get());
    return std::make_unique<gw::TrayService>(std::move(env), std::move(power));
  });
}

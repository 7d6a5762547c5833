// monsvc: the monitoring service. With no argument it runs in the foreground until SIGTERM or
// SIGINT; "-start" asks the service manager to start the installed service.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/service_host.h"
#include "protocol/client_port.h"
#include "service/core/service_program.h"
#include "service/core/service_core.h"
#include "service/notify/tray_publisher.h"
#include "service/server/client_server.h"

int main(int argc, char** argv) {
  // A client or the driver that goes away mid-send must not end the service.
  gw::ignoreBrokenPipes();
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string dir = gw::executableDirectory();
  std::unique_ptr<gw::ServiceHost> host = gw::createServiceHost(dir);
  std::unique_ptr<gw::SystemLog> log = gw::createSystemLog(gw::kServiceName);
  return gw::runServiceProgram(args, *host, *log, [&]() -> std::unique_ptr<gw::ServiceBody> {
    gw::ServiceEnvironment env;
    env.clock = &gw::systemClock();
    env.data_dir = dir;
    env.client_port = gw::clientPortFromText(std::getenv("GRIDWATCH_PORT"));
    env.power = gw::createSystemPower(gw::shutdownCommandFromEnvironment(), log.get());
    // A run started from a desktop closes that desktop's applications, whoever is logged in.
    const char* closer_display = std::getenv("GRIDWATCH_CLOSER_DISPLAY");
    env.closer_display = closer_display ? closer_display : "";
    env.log = log.get();
    env.notifier = std::make_unique<gw::TrayPublisher>(
        gw::joinPath(dir, std::string(gw::kNotifySocketName)), *log);
    return std::make_unique<gw::ServiceCore>(std::move(env));
  });
}

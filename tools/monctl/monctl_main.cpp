// monctl: watch and configure the UPS monitoring service from a terminal.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "client/core/protocol_client.h"
#include "client/core/tcp_request_channel.h"
#include "tools/monctl/monctl_app.h"
#include "tools/monctl/monctl_options.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  gw::MonctlOptions options;
  std::string error;
  switch (gw::parseMonctlOptions(args, std::getenv("GRIDWATCH_PORT"), &options, &error)) {
    case gw::ParseOutcome::kHelp:
      std::cout << gw::monctlUsage();
      return 0;
    case gw::ParseOutcome::kUsageError:
      std::cerr << "monctl: " << error << "\n(monctl --help shows the commands)\n";
      return gw::kExitUsage;
    case gw::ParseOutcome::kRun:
      break;
  }
  std::unique_ptr<gw::TcpRequestChannel> channel;
  ResultCode rc =
      gw::TcpRequestChannel::open(options.host, options.port, options.timeout_ms, &channel);
  if (rc == RC_BAD_REQUEST) {
    std::cerr << "monctl: --host wants an IPv4 address or localhost, not \"" << options.host
              << "\"\n";
    return gw::kExitUsage;
  }
  if (rc != RC_OK) {
    std::cerr << "monctl: cannot connect to " << options.host << ":" << options.port << " (21)\n";
    return RC_SOCKET_ERROR;
  }
  gw::ProtocolClient client(*channel);
  gw::MonctlApp app(client, std::cout, std::cerr);
  return app.run(options);
}

// porter: the driver process. "porter <type> <index>" on the service's pipes.
#include <signal.h>

#include <climits>
#include <memory>

#include "common/line_file.h"
#include "driver/device_factory.h"
#include "driver/devices/detect_protocol.h"
#include "driver/driver_loop.h"
#include "driver/media/media_provider.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/pipe.h"
#include "platform/process.h"

namespace {

int commandLineNumber(int argc, char** argv, int i) {
  if (i >= argc) return 0;
  long long v = gw::parseLeadingInt(argv[i]);
  if (v < INT_MIN || v > INT_MAX) return 0;
  return static_cast<int>(v);
}

}  // namespace

int main(int argc, char** argv) {
  // A write to a closed pipe must come back as an error, so the loop can end normally.
  gw::ignoreBrokenPipes();

  int media_type = commandLineNumber(argc, argv, 1);
  int media_index = commandLineNumber(argc, argv, 2);

  gw::Clock& clock = gw::systemClock();
  std::string dir = gw::executableDirectory();
  gw::MediaProvider provider(clock,
                             dir.empty() ? "" : gw::joinPath(dir, gw::kBridgeLibraryName));

  std::unique_ptr<gw::Pipe> in = gw::adoptStandardInput();
  std::unique_ptr<gw::Pipe> out = gw::adoptStandardOutput();
  if (!in || !out) return 0;
  std::unique_ptr<gw::PipeLink> link = provider.createLink(std::move(in), std::move(out));
  if (!link) return 0;

  {
    gw::DeviceFactory factory(provider,
                              [&clock](gw::Media& media) { return gw::detectDevice(media, clock); });
    gw::DriverLoop loop(clock, *link, factory, media_type, media_index);
    if (loop.start()) loop.run();
    // The loop (and its device) goes first, then the factory's media.
  }
  link.reset();
  return 0;  // the provider unloads the bridge library last
}

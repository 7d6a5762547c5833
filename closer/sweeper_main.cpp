// sweeper: closes the applications on the X display before the system is shut down.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "closer/closer_settings.h"
#include "closer/sweeper.h"
#include "closer/x11/x11_desktop.h"
#include "platform/clock.h"
#include "platform/local_identity.h"
#include "platform/paths.h"

namespace {

// Windows vanish while they are being closed; a request on one that is gone is no error here.
int ignoreProtocolError(Display*, XErrorEvent*) { return 0; }

// A display that goes away takes every window with it, so there is nothing left to close.
int displayGone(Display*) { ::_exit(0); }

}  // namespace

int main(int argc, char** argv) {
  // The switches come as one line, as the service and users write them; the arguments are
  // joined back with single blanks.
  std::string line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
  const gw::CloserSettings settings = gw::settleCloserSettings(
      gw::parseCloserCommandLine(line), gw::executableDirectory(), gw::homeDirectory());
  gw::createDefaultSaveFolder(settings);

  XSetErrorHandler(ignoreProtocolError);
  XSetIOErrorHandler(displayGone);
  std::unique_ptr<gw::X11Desktop> desktop;
  if (gw::X11Desktop::open(gw::systemClock(), &desktop) != RC_OK) {
    std::fprintf(stderr, "sweeper: no X display to close windows on\n");
    return 0;
  }
  gw::Sweeper sweeper(*desktop, gw::systemClock(), settings);
  return sweeper.run();
}

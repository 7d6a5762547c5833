// Formatting the service's error events.
#include "service/core/error_reporter.h"

#include <cstdio>

namespace gw {

void ErrorReporter::report(const std::string& failed, int code) {
  char text[96];
  std::snprintf(text, sizeof text, "%s error: %d", kServiceName, code);
  log_.reportError(text, failed);
  std::fprintf(stderr, "monsvc: %s (%s)\n", text, failed.c_str());
}

}  // namespace gw

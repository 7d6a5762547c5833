// Event names shared with the watcher library; other programs may rely on the exact spelling.
#include "closer/event_names.h"

#include <cstdio>

namespace gw {
namespace {

std::string withWindow(const char* prefix, uint64_t window) {
  char hex[24];
  std::snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(window));
  return std::string(prefix) + hex;
}

}  // namespace

std::string activeEventName(uint64_t window) {
  return withWindow("NorvaneSystemsIncActiveEvent", window);
}

std::string destroyEventName(uint64_t window) {
  return withWindow("NorvaneSystemsIncDestoryEvent", window);
}

}  // namespace gw

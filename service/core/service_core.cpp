// The service object's construction order, run and main-loop steps.
#include "service/core/service_core.h"

#include <algorithm>

namespace gw {

ServiceCore::ServiceCore(ServiceEnvironment env) : env_(std::move(env)) { status_.clear(); }

ServiceCore::~ServiceCore() = default;

void ServiceCore::run() {
  startTrayThread();
  MainLoop loop(*this, stop_requested_);
  (void)loop.run();  // the shutdown request is read back below
  if (shutdown_request_.load() >= 0) {
    runCloser();
    shutdownSystem();
  }
}

void ServiceCore::onNotice(uint32_t id) {
  if (id == 0) return;
  if (id == media_type_key_id_) return;
  if (id == shutdown_max_count_key_id_) return;
}

void ServiceCore::pollAndDetect(uint32_t&) {}
void ServiceCore::recordStatus(uint32_t&) {}
void ServiceCore::policyTick(uint32_t&) {}
void ServiceCore::scheduleTick(uint32_t&) {}

void ServiceCore::serveClients(uint32_t timeout_ms) {
  // Until the client server waits here, sleep in slices so that a stop is seen promptly.
  int64_t left = timeout_ms;
  while (left > 0 && !stop_requested_.load()) {
    int64_t slice = std::min<int64_t>(left, 200);
    env_.clock->sleepMs(slice);
    left -= slice;
  }
}

}  // namespace gw

// Replaying a client request over the driver replies gathered so far.
#include "service/server/deferred_device_call.h"

namespace gw {

DeviceProxy& DeferredDeviceCall::beginRun() {
  next_ = 0;
  needed_.clear();
  proxy_ = std::make_unique<DeviceProxy>(*this);
  return *proxy_;
}

void DeferredDeviceCall::answer(ResultCode rc, const std::string& reply) {
  answers_.emplace_back(rc, reply);
}

ResultCode DeferredDeviceCall::exchange(std::string_view request, std::string* reply) {
  if (next_ < answers_.size()) {
    const auto& [rc, text] = answers_[next_++];
    if (rc == RC_OK) *reply = text;
    return rc;
  }
  // Only the first missing reply is asked for: what the run does after it depends on it.
  if (needed_.empty()) needed_.assign(request);
  return RC_PIPE_BROKEN;
}

}  // namespace gw

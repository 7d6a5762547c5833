// One client request answered without blocking on the driver: the dispatcher runs it over this
// call's own channel, which hands back the replies already in and notes the first request that
// still needs one; the server sends that request and runs the dispatch again once it is
// answered, until no request is left. Requests that never reach the device finish on the first
// run, and the replies are the same bytes as a blocking exchange would give.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/result_code.h"
#include "service/driverlink/device_proxy.h"
#include "service/driverlink/driver_channel.h"

namespace gw {

class DeferredDeviceCall final : public DriverChannel {
 public:
  explicit DeferredDeviceCall(std::string request) : request_(std::move(request)) {}

  // The client's request text.
  const std::string& request() const { return request_; }
  // A fresh proxy for one run of the dispatch, so its text cache sees this call's replies only.
  DeviceProxy& beginRun();
  // After a run: the driver request that still waits for its reply, or empty when none does.
  const std::string& needed() const { return needed_; }
  // The reply to needed(), for the next run.
  void answer(ResultCode rc, const std::string& reply);

  // Answers from the replies in, in order; past them notes the request and fails it.
  ResultCode exchange(std::string_view request, std::string* reply) override;

 private:
  std::string request_;
  std::vector<std::pair<ResultCode, std::string>> answers_;
  size_t next_ = 0;
  std::string needed_;
  std::unique_ptr<DeviceProxy> proxy_;
};

}  // namespace gw

// A driver channel that answers from a test's handler and records every request line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "service/driverlink/driver_channel.h"

namespace gw {

class FakeDriverChannel : public DriverChannel {
 public:
  // Given the request without its '\n', returns the reply line without its '\n'. An empty
  // std::function makes every exchange fail with RC_PIPE_BROKEN.
  using Handler = std::function<std::string(const std::string& request)>;

  FakeDriverChannel() = default;
  explicit FakeDriverChannel(Handler handler) : handler_(std::move(handler)) {}

  void setHandler(Handler handler) { handler_ = std::move(handler); }
  void setBroken(bool broken) { broken_ = broken; }
  const std::vector<std::string>& requests() const { return requests_; }
  void clearRequests() { requests_.clear(); }

  ResultCode exchange(std::string_view request, std::string* reply) override {
    std::string line(request);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    requests_.push_back(line);
    if (broken_ || !handler_) return RC_PIPE_BROKEN;
    *reply = handler_(line);
    return RC_OK;
  }

 private:
  Handler handler_;
  bool broken_ = false;
  std::vector<std::string> requests_;
};

}  // namespace gw

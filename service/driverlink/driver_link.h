// The service's link to the UPS: the driver process, the device proxy over it, and the
// restart of a driver that died or stopped answering.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "platform/clock.h"
#include "service/driverlink/device_proxy.h"
#include "service/driverlink/driver_channel.h"
#include "service/driverlink/driver_process.h"
#include "service/driverlink/pipe_channel.h"

namespace gw {

struct DriverLinkOptions {
  std::string program;  // the driver executable; defaultDriverPath() in the service
  int32_t media_type = 0;
  int32_t media_index = 0;
  PipeChannelLimits limits;
};

class DriverLink final : public DriverChannel {
 public:
  // Starts the driver. RC_NOT_AVAILABLE when it cannot be started (the run ends then); *link is
  // untouched on failure. The clock must outlive the link.
  [[nodiscard]] static ResultCode create(Clock& clock, const DriverLinkOptions& options,
                                         std::unique_ptr<DriverLink>* link);

  // Releases the device proxy, then ends the driver (at most about 100 ms).
  ~DriverLink() override;

  // The UPS for every part of the service. Owned by the link and valid for its whole life; it
  // keeps working across driver restarts.
  DeviceProxy& device() { return *device_; }

  // One request to the current driver. When the driver's pipes fail or it does not answer in
  // time, it is ended at once, every request in flight is answered RC_PIPE_BROKEN, and so is
  // every request until restartDriver() brings a new one up. Blocks at most the reply time-out.
  ResultCode exchange(std::string_view request, std::string* reply) override;
  // The same rules for requests in flight, which the main loop's wait completes.
  void submit(std::vector<Request> requests) override;
  const PollableSocket* replyWatch() const override;
  void onReadable() override;
  void checkTimeouts(uint32_t& timeout_ms) override;
  void awaitAll() override;
  size_t inFlight() const override;

  // True while a driver process is up and its pipes have not failed.
  bool driverRunning() const { return process_ != nullptr; }
  // Starts a new driver with the current media selection when none is running; nothing when one
  // is. RC_NOT_AVAILABLE when the start failed (still no driver). The poll decides when to call
  // this, so that restarts come at most once per polling interval.
  [[nodiscard]] ResultCode restartDriver();
  // Number of driver processes started after the first.
  int restarts() const { return restarts_; }
  // The running driver's process id; 0 when none runs.
  int64_t driverPid() const { return process_ ? process_->pid() : 0; }

  // The media selection changed: sends "C4 <type> <index>" (its answer carries no meaning for
  // the service) and keeps the selection for any later restart.
  void changeMedia(int32_t media_type, int32_t media_index);

 private:
  DriverLink(Clock& clock, DriverLinkOptions options, std::unique_ptr<DriverProcess> process);
  // Ends a driver whose channel failed.
  void dropFailed();

  Clock& clock_;
  DriverLinkOptions options_;
  std::unique_ptr<DriverProcess> process_;
  std::unique_ptr<DeviceProxy> device_;
  int restarts_ = 0;
};

}  // namespace gw

// Driver restarts behind a device proxy that never goes away.
#include "service/driverlink/driver_link.h"

#include <utility>

namespace gw {

ResultCode DriverLink::create(Clock& clock, const DriverLinkOptions& options,
                              std::unique_ptr<DriverLink>* link) {
  std::unique_ptr<DriverProcess> process;
  ResultCode rc = DriverProcess::start(clock, options.program, options.media_type,
                                       options.media_index, options.limits, &process);
  if (rc != RC_OK) return rc;
  link->reset(new DriverLink(clock, options, std::move(process)));
  return RC_OK;
}

DriverLink::DriverLink(Clock& clock, DriverLinkOptions options,
                       std::unique_ptr<DriverProcess> process)
    : clock_(clock), options_(std::move(options)), process_(std::move(process)) {
  device_ = std::make_unique<DeviceProxy>(*this);
}

DriverLink::~DriverLink() {
  device_.reset();
  process_.reset();
}

void DriverLink::dropFailed() {
  // A driver whose pipe failed or that went quiet is not trusted again; ending it now also
  // stops a hung one from holding the UPS.
  if (process_ && process_->channel().failed()) process_.reset();
}

ResultCode DriverLink::exchange(std::string_view request, std::string* reply) {
  if (!process_) return RC_PIPE_BROKEN;
  ResultCode rc = process_->channel().exchange(request, reply);
  dropFailed();
  return rc;
}

void DriverLink::submit(std::vector<Request> requests) {
  if (!process_) {
    for (Request& request : requests) request.done(RC_PIPE_BROKEN, std::string());
    return;
  }
  process_->channel().submit(std::move(requests));
  dropFailed();
}

const PollableSocket* DriverLink::replyWatch() const {
  return process_ ? process_->channel().replyWatch() : nullptr;
}

void DriverLink::onReadable() {
  if (!process_) return;
  process_->channel().onReadable();
  dropFailed();
}

void DriverLink::checkTimeouts(uint32_t& timeout_ms) {
  if (!process_) return;
  process_->channel().checkTimeouts(timeout_ms);
  dropFailed();
}

void DriverLink::awaitAll() {
  if (!process_) return;
  process_->channel().awaitAll();
  dropFailed();
}

size_t DriverLink::inFlight() const { return process_ ? process_->channel().inFlight() : 0; }

ResultCode DriverLink::restartDriver() {
  if (process_) return RC_OK;
  std::unique_ptr<DriverProcess> process;
  ResultCode rc = DriverProcess::start(clock_, options_.program, options_.media_type,
                                       options_.media_index, options_.limits, &process);
  if (rc != RC_OK) return rc;
  process_ = std::move(process);
  ++restarts_;
  return RC_OK;
}

void DriverLink::changeMedia(int32_t media_type, int32_t media_index) {
  options_.media_type = media_type;
  options_.media_index = media_index;
  (void)device_->changeMedia(media_type, media_index);  // "accepted" and "kept" are both fine
}

}  // namespace gw

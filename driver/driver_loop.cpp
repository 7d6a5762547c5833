// The driver loop: poll schedule, request assembly, dispatch and media changes.
#include "driver/driver_loop.h"

#include "driver/media_change_table.h"
#include "driver/request_table.h"

namespace gw {

bool DriverLoop::start() {
  device_ = devices_.create(media_type_, media_index_);
  return device_ != nullptr;
}

void DriverLoop::run() {
  if (!device_) return;
  // The first poll is due at entry, before any request is served: until a device has read the
  // UPS once its status reads fail, and a service asking at that moment would take the UPS for
  // gone.
  int64_t mark = clock_.monotonicMs() - kPollIntervalMs;
  for (;;) {
    int64_t elapsed = clock_.monotonicMs() - mark;
    if (elapsed < kPollIntervalMs) {
      ResultCode rc = serveRequest(static_cast<int>(kPollIntervalMs - elapsed));
      if (rc == RC_PIPE_BROKEN) return;
      if (rc == RC_DEVICE_CHANGED) {
        if (!recreateDevice()) return;
        mark = clock_.monotonicMs();
        continue;
      }
      // Requests do not move the schedule: only a due poll does.
      if (rc != RC_TIMEOUT) continue;
    }
    if (device_->poll() != RC_OK && !recreateDevice()) return;
    mark = clock_.monotonicMs();
  }
}

bool DriverLoop::recreateDevice() {
  device_.reset();
  device_ = devices_.create(media_type_, media_index_);
  if (!device_) return false;
  (void)device_->poll();  // a fresh device's first reading; its failure shows at the next poll
  return true;
}

ResultCode DriverLoop::serveRequest(int time_limit_ms) {
  int64_t start = clock_.monotonicMs();
  uint8_t byte = 0;
  ResultCode rc = link_.readTimed(&byte, 1, time_limit_ms);
  if (rc != RC_OK) return rc;
  while (byte != '\n') {
    if (line_length_ < kRequestLineMax) {
      line_[line_length_++] = static_cast<char>(byte);
    } else {
      line_overlong_ = true;
    }
    int64_t spent = clock_.monotonicMs() - start;
    if (spent > time_limit_ms) return RC_TIMEOUT;
    rc = link_.readTimed(&byte, 1, static_cast<int>(time_limit_ms - spent));
    if (rc != RC_OK) return rc;
  }
  std::string reply;
  ResultCode result = handleLine(&reply);
  line_length_ = 0;
  line_overlong_ = false;
  if (link_.write(reinterpret_cast<const uint8_t*>(reply.data()), reply.size()) != RC_OK) {
    return RC_PIPE_BROKEN;
  }
  return result == RC_DEVICE_CHANGED ? RC_DEVICE_CHANGED : RC_OK;
}

ResultCode DriverLoop::handleLine(std::string* reply) {
  if (line_overlong_) {
    *reply = errorReply(Request{}, RC_UNSUPPORTED);
    return RC_UNSUPPORTED;
  }
  Request request = parseRequest(std::string_view(line_, line_length_));
  const RequestRow* row =
      request.empty ? nullptr : findRequestRow(request.letter, request.number);
  if (row && !row->handler && request.arg_count >= row->args) {
    ResultCode rc = changeMedia(request);
    *reply = errorReply(request, rc);
    return rc;
  }
  // A device's own code never steers the loop: only the media change re-creates the device.
  (void)answerRequest(*device_, request, reply);  // the reply carries the code
  return RC_OK;
}

ResultCode DriverLoop::changeMedia(const Request& request) {
  MediaInUse in_use;
  int32_t v = 0;
  if (device_->getNumber(23, &v) == RC_OK) in_use.type = v;
  if (device_->getNumber(24, &v) == RC_OK) in_use.index = v;
  int old_type = media_type_;
  int old_index = media_index_;
  media_type_ = request.args[0];
  media_index_ = request.args[1];
  bool recreate =
      mediaChangeRecreates(media_type_, media_index_, old_type, old_index, in_use);
  return recreate ? RC_DEVICE_CHANGED : RC_UNSUPPORTED;
}

}  // namespace gw

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
  poll_mark_ms_ = clock_.monotonicMs() - kPollIntervalMs;
  for (;;) {
    int64_t elapsed = clock_.monotonicMs() - poll_mark_ms_;
    if (elapsed < kPollIntervalMs) {
      ResultCode rc = serveRequest(static_cast<int>(kPollIntervalMs - elapsed));
      if (rc == RC_PIPE_BROKEN) return;
      if (rc == RC_DEVICE_CHANGED) {
        if (!recreateDevice()) return;
        poll_mark_ms_ = clock_.monotonicMs();
        continue;
      }
      // Requests do not move the schedule: only a due poll does.
      if (rc != RC_TIMEOUT) continue;
    }
    const int64_t begun = clock_.monotonicMs();
    ResultCode polled = device_->poll();
    last_poll_ms_ = clock_.monotonicMs() - begun;
    if (polled != RC_OK && !recreateDevice()) return;
    poll_mark_ms_ = clock_.monotonicMs();
  }
}

bool DriverLoop::recreateDevice() {
  device_.reset();
  device_ = devices_.create(media_type_, media_index_);
  if (!device_) return false;
  (void)device_->poll();  // a fresh device's first reading; its failure shows at the next poll
  return true;
}

bool DriverLoop::takeLine() {
  while (input_offset_ < input_.size()) {
    const char byte = input_[input_offset_++];
    if (byte == '\n') return true;
    if (line_length_ < kRequestLineMax) {
      line_[line_length_++] = byte;
    } else {
      line_overlong_ = true;
    }
  }
  input_.clear();
  input_offset_ = 0;
  return false;
}

ResultCode DriverLoop::serveRequest(int time_limit_ms) {
  const int64_t start = clock_.monotonicMs();
  std::string replies;
  ResultCode result = RC_TIMEOUT;
  for (;;) {
    if (takeLine()) {
      std::string reply;
      ResultCode rc = handleLine(&reply);
      line_length_ = 0;
      line_overlong_ = false;
      replies += reply;
      result = rc == RC_DEVICE_CHANGED ? RC_DEVICE_CHANGED : RC_OK;
      // A due poll comes before the next line, and a new device answers the lines after a
      // media change.
      if (result == RC_DEVICE_CHANGED || clock_.monotonicMs() - start >= time_limit_ms) break;
      continue;
    }
    // Everything received is answered: the replies go out before any further wait.
    if (!replies.empty()) break;
    const int64_t left = time_limit_ms - (clock_.monotonicMs() - start);
    if (left < 0) return RC_TIMEOUT;
    uint8_t chunk[kReadChunk];
    size_t got = 0;
    ResultCode rc = link_.readAvailable(chunk, sizeof chunk, static_cast<int>(left), &got);
    if (rc != RC_OK) return rc;
    input_.append(reinterpret_cast<const char*>(chunk), got);
  }
  if (link_.write(reinterpret_cast<const uint8_t*>(replies.data()), replies.size()) != RC_OK) {
    return RC_PIPE_BROKEN;
  }
  return result;
}

bool DriverLoop::answerPhase(const Request& request, std::string* reply) const {
  if (request.empty || request.letter != 'P') return false;
  int64_t value = 0;
  if (request.number == 0) {
    value = poll_mark_ms_ + kPollIntervalMs - clock_.monotonicMs();
    if (value < 0) value = 0;
  } else if (request.number == 1) {
    value = last_poll_ms_;
  } else {
    *reply = errorReply(request, RC_UNSUPPORTED);
    return true;
  }
  *reply = successReply(request, " " + std::to_string(value));
  return true;
}

ResultCode DriverLoop::handleLine(std::string* reply) {
  if (line_overlong_) {
    *reply = errorReply(Request{}, RC_UNSUPPORTED);
    return RC_UNSUPPORTED;
  }
  Request request = parseRequest(std::string_view(line_, line_length_));
  if (answerPhase(request, reply)) return RC_OK;
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

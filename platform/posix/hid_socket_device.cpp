// The host end of the simulated HID device's socket.
#include "platform/posix/hid_socket_device.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/unix_stream.h"

namespace gw::posix {

ResultCode HidSocketDevice::connect(const std::string& path,
                                    std::unique_ptr<HidSocketDevice>* device) {
  UniqueFd fd;
  ResultCode rc = connectUnixSocket(path, &fd);
  if (rc != RC_OK) return rc;
  device->reset(new HidSocketDevice(std::move(fd)));
  return RC_OK;
}

bool HidSocketDevice::pump(int timeout_ms) {
  if (broken_) return false;
  // A close or a failure means the device end is gone: unplugged.
  if (!receiveWaiting(fd_.get(), timeout_ms, &partial_)) broken_ = true;
  HidFrame frame;
  for (;;) {
    HidFrameTake took = takeHidFrame(&partial_, &frame);
    if (took == HidFrameTake::kNeedMore) break;
    if (took == HidFrameTake::kMalformed) {
      broken_ = true;
      break;
    }
    if (frame.type == kHidInput) {
      if (input_.size() == kInputQueue) input_.pop_front();
      input_.push_back(std::move(frame.payload));
    } else if (frame.type == kHidIds || frame.type == kHidDescriptor ||
               frame.type == kHidFeature || frame.type == kHidFeatureSet ||
               frame.type == kHidOutputTaken || frame.type == kHidRefused) {
      if (late_replies_ > 0) {
        --late_replies_;  // answers a request whose caller gave up
      } else {
        replies_.push_back(std::move(frame));
      }
    }
  }
  return !broken_;
}

bool HidSocketDevice::sendAll(const std::string& bytes, int timeout_ms) {
  Clock& clock = systemClock();
  const int64_t deadline = clock.monotonicMs() + timeout_ms;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = retryEintr([&] {
      return ::send(fd_.get(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int64_t left = deadline - clock.monotonicMs();
      if (left <= 0) break;
      pollfd p{fd_.get(), POLLOUT, 0};
      (void)::poll(&p, 1, static_cast<int>(left));  // the next send tells whether room appeared
      continue;
    }
    break;
  }
  // A frame sent in part leaves the stream out of step: the connection is lost either way.
  if (done < bytes.size()) broken_ = true;
  return !broken_;
}

ResultCode HidSocketDevice::request(uint8_t type, const void* payload, size_t length,
                                    uint8_t expect, int timeout_ms, HidFrame* reply) {
  if (broken_) return RC_LINE_FAILURE;
  std::string frame;
  if (!appendHidFrame(&frame, type, payload, length)) return RC_BAD_VALUE;
  // Replies that were already here belong to no one now.
  replies_.clear();
  if (!sendAll(frame, kReplyTimeoutMs)) return RC_LINE_FAILURE;
  Clock& clock = systemClock();
  const int64_t deadline = clock.monotonicMs() + std::max(timeout_ms, 0);
  while (replies_.empty()) {
    int64_t left = deadline - clock.monotonicMs();
    if (left <= 0) {
      ++late_replies_;
      return RC_TIMEOUT;
    }
    if (!pump(static_cast<int>(left))) return RC_LINE_FAILURE;
  }
  HidFrame got = std::move(replies_.front());
  replies_.pop_front();
  if (got.type == kHidRefused) {
    int code = got.payload.empty() ? static_cast<int>(RC_LINE_FAILURE)
                                   : static_cast<uint8_t>(got.payload[0]);
    return code == RC_OK ? RC_LINE_FAILURE : static_cast<ResultCode>(code);
  }
  if (got.type != expect) return RC_LINE_FAILURE;
  *reply = std::move(got);
  return RC_OK;
}

ResultCode HidSocketDevice::identify(uint16_t* vendor_id, uint16_t* product_id) {
  HidFrame reply;
  ResultCode rc = request(kHidAskIds, nullptr, 0, kHidIds, kReplyTimeoutMs, &reply);
  if (rc != RC_OK) return rc;
  if (reply.payload.size() != 4) return RC_LINE_FAILURE;
  auto byte = [&](size_t i) { return static_cast<uint16_t>(static_cast<uint8_t>(reply.payload[i])); };
  *vendor_id = static_cast<uint16_t>(byte(0) | byte(1) << 8);
  *product_id = static_cast<uint16_t>(byte(2) | byte(3) << 8);
  return RC_OK;
}

ResultCode HidSocketDevice::reportDescriptor(std::vector<uint8_t>* descriptor) {
  HidFrame reply;
  ResultCode rc = request(kHidAskDescriptor, nullptr, 0, kHidDescriptor, kReplyTimeoutMs, &reply);
  if (rc != RC_OK) return rc == RC_TIMEOUT ? RC_LINE_FAILURE : rc;
  if (reply.payload.empty() || reply.payload.size() > kHidMaxDescriptorBytes) {
    return RC_LINE_FAILURE;
  }
  descriptor->assign(reply.payload.begin(), reply.payload.end());
  return RC_OK;
}

ResultCode HidSocketDevice::getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                                       size_t* got) {
  if (capacity == 0) return RC_BUFFER_TOO_SMALL;
  HidFrame reply;
  ResultCode rc = request(kHidAskFeature, &report_id, 1, kHidFeature, kReplyTimeoutMs, &reply);
  if (rc != RC_OK) return rc;
  if (reply.payload.empty()) return RC_LINE_FAILURE;
  size_t n = std::min(capacity, reply.payload.size());
  std::memcpy(buffer, reply.payload.data(), n);
  *got = n;
  return RC_OK;
}

ResultCode HidSocketDevice::setFeature(const uint8_t* report, size_t length) {
  if (length == 0 || length > kHidMaxReportBytes) return RC_BAD_VALUE;
  HidFrame reply;
  return request(kHidSetFeature, report, length, kHidFeatureSet, kReplyTimeoutMs, &reply);
}

ResultCode HidSocketDevice::writeOutput(const uint8_t* report, size_t length, int timeout_ms) {
  if (length == 0 || length > kHidMaxReportBytes) return RC_BAD_VALUE;
  HidFrame reply;
  return request(kHidOutput, report, length, kHidOutputTaken, timeout_ms, &reply);
}

ResultCode HidSocketDevice::readInput(uint8_t* buffer, size_t capacity, int timeout_ms,
                                      size_t* got) {
  if (capacity == 0) return RC_BUFFER_TOO_SMALL;
  Clock& clock = systemClock();
  const int64_t deadline = clock.monotonicMs() + std::max(timeout_ms, 0);
  while (input_.empty()) {
    int64_t left = deadline - clock.monotonicMs();
    if (!pump(left > 0 ? static_cast<int>(left) : 0)) {
      if (!input_.empty()) break;
      return RC_LINE_FAILURE;
    }
    if (left <= 0 && input_.empty()) return RC_TIMEOUT;
  }
  const std::string& report = input_.front();
  size_t n = std::min(capacity, report.size());
  std::memcpy(buffer, report.data(), n);
  input_.pop_front();
  *got = n;
  return RC_OK;
}

void HidSocketDevice::flushInput() {
  (void)pump(0);  // a broken socket shows at the next transfer
  input_.clear();
}

}  // namespace gw::posix
